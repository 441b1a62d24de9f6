#include "app/windowfactory.h"

#include "dialogs/frmabout.h"
#include "dialogs/frmimport.h"
#include "dialogs/frmoptions.h"
#include "dialogs/frmprodinfo.h"
#include "records/recordform.h"
#include "records/recordwindows.h"
#include "reports/frmfaelligbericht.h"
#include "reports/frmmatrixbericht.h"
#include "search/frmnameedit.h"

#include <map>

namespace orv::app::windowfactory {
namespace {

using ui::WindowId;

// How each of the program's windows is made.
std::function<QWidget *()> maker(WindowId window)
{
    switch (window) {
    case WindowId::Mitarbeiter:
    case WindowId::Kurs:
    case WindowId::Trainingsplan: return [window]() -> QWidget * { return records::openRecordWindow(window); };
    case WindowId::NameEdit: return []() -> QWidget * { return new search::FrmNameEdit; };
    case WindowId::About: return []() -> QWidget * { return new dialogs::FrmAbout; };
    case WindowId::Options: return []() -> QWidget * { return new dialogs::FrmOptions; };
    case WindowId::Prodinfo: return []() -> QWidget * { return new dialogs::FrmProdinfo; };
    case WindowId::Import: return []() -> QWidget * { return new dialogs::FrmImport; };
    case WindowId::Faellig: return []() -> QWidget * { return new reports::FrmFaelligBericht; };
    case WindowId::Matrix: return []() -> QWidget * { return new reports::FrmMatrixBericht; };
    }
    return {};
}

std::map<WindowId, WindowEntry> &table()
{
    static std::map<WindowId, WindowEntry> t = [] {
        std::map<WindowId, WindowEntry> built;
        for (const ui::WindowName &w : ui::windowNames)
            built[w.id] = {w.kind, maker(w.id)};
        return built;
    }();
    return t;
}

} // namespace

const WindowEntry *find(WindowId window)
{
    const auto it = table().find(window);
    return it == table().end() ? nullptr : &it->second;
}

void add(WindowId window, WindowEntry entry) { table()[window] = std::move(entry); }
void remove(WindowId window) { table().erase(window); }

} // namespace orv::app::windowfactory
