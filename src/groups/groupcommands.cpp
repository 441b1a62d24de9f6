#include "groups/groupcommands.h"

#include "data/dberror.h"
#include "groups/frmaendern.h"
#include "groups/frmeinplanen.h"
#include "records/recordform.h"
#include "services/connectionrecipe.h"
#include "ui/prompter.h"

#include <memory>
#include <type_traits>

namespace orv::groups {
namespace {

// The dialogs keep a connection of their own while they are open.
template <typename Dialog> void runDialog(records::RecordForm *w, bool planWindow)
{
    data::Connection conn;
    if (!services::openConnection(conn, w))
        return;
    const QStringList shown = w->shownKey();
    std::unique_ptr<Dialog> dialog;
    try {
        dialog = std::make_unique<Dialog>(conn, shown.value(0), w);
    } catch (const data::DbError &e) {
        ui::inform(w, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return;
    }
    const bool accepted = ui::Prompter::instance().runModal(*dialog) == QDialog::Accepted;
    if (!accepted || !planWindow)
        return;
    QStringList written;
    if constexpr (std::is_same_v<Dialog, FrmEinplanen>)
        written = dialog->planned();
    else
        written = dialog->changed();
    // The first entry written, or the one shown before when none was.
    w->refreshAndShow(written.isEmpty() ? shown : QStringList{dialog->kursNr(), written.first()});
}

} // namespace

void attachToTrainingsplan(records::RecordForm &window)
{
    records::RecordForm *w = &window;
    w->addCommand("mnuFuerMehrere", QStringLiteral("Für mehrere &einplanen…"), "G", "Gruppe", "Group",
                  [w] { runDialog<FrmEinplanen>(w, true); });
    w->addCommand("mnuMehrereAendern", QStringLiteral("&Mehrere ändern…"), "M", nullptr, nullptr,
                  [w] { runDialog<FrmAendern>(w, true); });
}

void attachToKurs(records::RecordForm &window)
{
    records::RecordForm *w = &window;
    w->addCommand("mnuFuerMehrere", QStringLiteral("Für mehrere &einplanen…"), "G", "Gruppe", "Group",
                  [w] { runDialog<FrmEinplanen>(w, false); });
}

} // namespace orv::groups
