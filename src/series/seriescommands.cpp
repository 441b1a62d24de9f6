#include "series/seriescommands.h"

#include "data/dberror.h"
#include "data/series.h"
#include "groups/frmeinplanen.h"
#include "records/recordform.h"
#include "series/frmfolgetermin.h"
#include "series/frmkursreihe.h"
#include "services/connectionrecipe.h"
#include "ui/prompter.h"

#include <memory>

namespace orv::series {
namespace {

void editSeries(records::RecordForm *w)
{
    data::Connection conn;
    if (!services::openConnection(conn, w))
        return;
    try {
        FrmKursreihe dialog(conn, w->shownKey().value(0), w);
        ui::Prompter::instance().runModal(dialog);
    } catch (const data::DbError &e) {
        ui::inform(w, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
    }
}

// The next course of the series, then its participants planned through the group dialog.
void nextDate(records::RecordForm *w)
{
    const QString kursNr = w->shownKey().value(0).trimmed();
    data::Connection conn;
    if (!services::openConnection(conn, w))
        return;
    QString created;
    try {
        const data::series::CourseSeries s = data::series::ofCourse(conn, kursNr);
        if (s.reihe.isEmpty()) {
            ui::inform(w,
                       QStringLiteral("Der Kurs %1 gehört zu keiner Reihe. Tragen Sie zuerst unter „Reihe und "
                                      "Gültigkeit…“ eine Reihe ein.")
                           .arg(kursNr),
                       QStringLiteral("Folgetermin anlegen"), ui::Icon::Exclamation);
            return;
        }
        FrmFolgetermin next(conn, kursNr, s.reihe, w);
        if (ui::Prompter::instance().runModal(next) != QDialog::Accepted)
            return;
        created = next.newKursNr();
        groups::FrmEinplanen plan(conn, created, w);
        plan.tick(next.due());
        ui::Prompter::instance().runModal(plan);
    } catch (const data::DbError &e) {
        ui::inform(w, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
    }
    if (!created.isEmpty())
        w->refreshAndShow({created});
}

} // namespace

void attachToKurs(records::RecordForm &window)
{
    records::RecordForm *w = &window;
    w->addCommand("mnuKursreihe", QStringLiteral("&Reihe und Gültigkeit…"), nullptr, nullptr, nullptr,
                  [w] { editSeries(w); });
    w->addCommand("mnuFolgetermin", QStringLiteral("&Folgetermin anlegen…"), nullptr, nullptr, nullptr,
                  [w] { nextDate(w); });
}

} // namespace orv::series
