#include "app/windowfactory.h"

#include "dialogs/frmabout.h"
#include "dialogs/frmimport.h"
#include "dialogs/frmoptions.h"
#include "dialogs/frmprodinfo.h"
#include "records/recordform.h"
#include "records/recordwindows.h"
#include "search/frmnameedit.h"

#include <QHash>

namespace orv::app::windowfactory {
namespace {

// The program's windows, one line each: its name, how it is shown and how it
// is made, for example
//   t.insert(QStringLiteral("frmKurs"), {WindowKind::Child, [] { return new FrmKurs; }});
QHash<QString, WindowEntry> builtIn()
{
    QHash<QString, WindowEntry> t;
    for (const char *name : {"frmKurs", "frmMitarbeiter", "frmTrainingsplan"}) {
        const QString n = QLatin1String(name);
        t.insert(n, {WindowKind::Child, [n]() -> QWidget * { return records::openRecordWindow(n); }});
    }
    t.insert(QStringLiteral("frmNameEdit"),
             {WindowKind::Modeless, []() -> QWidget * { return new search::FrmNameEdit; }});
    t.insert(QStringLiteral("frmAbout"), {WindowKind::Modeless, []() -> QWidget * { return new dialogs::FrmAbout; }});
    t.insert(QStringLiteral("frmOptions"), {WindowKind::Modal, []() -> QWidget * { return new dialogs::FrmOptions; }});
    t.insert(QStringLiteral("frmImport"), {WindowKind::Modal, []() -> QWidget * { return new dialogs::FrmImport; }});
    t.insert(QStringLiteral("frmProdinfo"),
             {WindowKind::Modal, []() -> QWidget * { return new dialogs::FrmProdinfo; }});
    return t;
}

QHash<QString, WindowEntry> &table()
{
    static QHash<QString, WindowEntry> t = builtIn();
    return t;
}

} // namespace

const WindowEntry *find(const QString &name)
{
    auto it = table().constFind(name);
    return it == table().constEnd() ? nullptr : &it.value();
}

void add(const QString &name, WindowEntry entry) { table().insert(name, std::move(entry)); }
void remove(const QString &name) { table().remove(name); }

} // namespace orv::app::windowfactory
