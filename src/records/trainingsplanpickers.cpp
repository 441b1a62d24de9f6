#include "records/trainingsplanpickers.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/recordset.h"
#include "data/tables.h"
#include "records/frmtrainingsplan.h"
#include "search/seek.h"
#include "ui/monthview.h"
#include "ui/prompter.h"

#include <QLineEdit>
#include <QToolButton>

namespace orv::records {

namespace {

// Opens the rows of `table`, lets the user choose one in the search dialog
// and reads `keyColumn` of it.
std::optional<QString> pick(QWidget *parent, data::Connection &conn, const QString &table,
                            const search::SeekLayout &layout, const QString &keyColumn)
{
    data::RecordSet rows;
    try {
        data::tables::openRows(rows, conn, table);
    } catch (const data::DbError &e) {
        ui::inform(parent, e.message(QStringLiteral("OpenRecordsetError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return std::nullopt;
    }
    const int position = search::runSeek(parent, rows, layout);
    if (position <= 0 || !rows.gotoBookmark(position))
        return std::nullopt;
    return rows.text(keyColumn);
}

} // namespace

std::optional<QString> pickKursNr(QWidget *parent, data::Connection &conn)
{
    return pick(parent, conn, QStringLiteral("Kurs"), search::kursSeekLayout(), QStringLiteral("KursNr"));
}

std::optional<QString> pickName(QWidget *parent, data::Connection &conn)
{
    return pick(parent, conn, QStringLiteral("Mitarbeiter"), search::mitarbeiterSeekLayout(), QStringLiteral("Name"));
}

void attachPickers(FrmTrainingsplan &window)
{
    FrmTrainingsplan *w = &window;
    QObject::connect(w, &FrmTrainingsplan::pickCourseRequested, w, [w] {
        if (const auto kursNr = pickKursNr(w, w->pickerConnection()))
            w->takeCourse(*kursNr);
    });
    QObject::connect(w, &FrmTrainingsplan::pickEmployeeRequested, w, [w] {
        if (const auto name = pickName(w, w->pickerConnection()))
            w->takeEmployee(*name);
    });
    auto *von = new ui::MonthView(QStringLiteral("MonthViewVon"), w);
    auto *bis = new ui::MonthView(QStringLiteral("MonthViewBis"), w);
    using Field = FrmTrainingsplan::Field;
    QObject::connect(von, &ui::MonthView::dateTaken, w, [w](const QDate &day) { w->takeDate(Field::Datum_von, day); });
    QObject::connect(bis, &ui::MonthView::dateTaken, w, [w](const QDate &day) { w->takeDate(Field::Datum_bis, day); });
    QObject::connect(w, &FrmTrainingsplan::pickDateRequested, w, [w, von, bis](Field field) {
        QLineEdit *date = w->txtFields[field];
        if (field == Field::Datum_von)
            von->popUpAbove(date->text(), w->cmdMonthViewVon, date);
        else if (field == Field::Datum_bis)
            bis->popUpAbove(date->text(), w->cmdMonthViewBis, date);
    });
}

} // namespace orv::records
