#include "records/trainingsplanpickers.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/recordset.h"
#include "search/seek.h"
#include "ui/format.h"
#include "ui/prompter.h"

#include <QApplication>

namespace orv::records {

namespace {

// Opens the rows of `table`, runs the search dialog over them and leaves the
// chosen row current. False when cancelled or when reading failed.
bool choose(QWidget *parent, data::Connection &conn, data::RecordSet &rows, const QString &table,
            const search::SeekLayout &layout)
{
    try {
        rows.openQuery(conn, QStringLiteral("select * from ") + table);
    } catch (const data::DbError &e) {
        ui::inform(parent, e.message(QStringLiteral("OpenRecordsetError: ")), QStringLiteral("ORV"), ui::Icon::None);
        return false;
    }
    const int position = search::runSeek(parent, rows, layout);
    return position > 0 && rows.gotoBookmark(position);
}

void readFailed(QWidget *parent, const data::DbError &e)
{
    ui::inform(parent, e.message(QStringLiteral("DatenLesenError: ")), QStringLiteral("ORV"), ui::Icon::None);
}

} // namespace

std::optional<KursChoice> pickKurs(QWidget *parent, data::Connection &conn)
{
    data::RecordSet rows;
    if (!choose(parent, conn, rows, QStringLiteral("Kurs"), search::kursSeekLayout()))
        return std::nullopt;
    try {
        KursChoice c;
        c.kursNr = rows.text(QStringLiteral("KursNr"));
        c.beschreibung = rows.text(QStringLiteral("Beschreibung"));
        c.referent = rows.text(QStringLiteral("Referent"));
        c.kosten = ui::formatNumber(rows.number(QStringLiteral("Kosten")), 2);
        c.dauer = ui::formatNumber(rows.number(QStringLiteral("Dauer")), 1);
        c.rubrik = rows.text(QStringLiteral("Rubrik"));
        c.art = rows.text(QStringLiteral("Art"));
        return c;
    } catch (const data::DbError &e) {
        readFailed(parent, e);
        return std::nullopt;
    }
}

std::optional<MitarbeiterChoice> pickMitarbeiter(QWidget *parent, data::Connection &conn)
{
    data::RecordSet rows;
    if (!choose(parent, conn, rows, QStringLiteral("Mitarbeiter"), search::mitarbeiterSeekLayout()))
        return std::nullopt;
    try {
        MitarbeiterChoice c;
        c.name = rows.text(QStringLiteral("Name"));
        c.kostenstelle = rows.text(QStringLiteral("Kostenstelle"));
        c.abteilung = rows.text(QStringLiteral("Abteilung"));
        c.kategorie = rows.text(QStringLiteral("Kategorie"));
        c.bereich = rows.text(QStringLiteral("Bereich"));
        return c;
    } catch (const data::DbError &e) {
        readFailed(parent, e);
        return std::nullopt;
    }
}

MonthView::MonthView(const QString &name, QWidget *window) : QCalendarWidget(window)
{
    setObjectName(name);
    hide();
    connect(this, &QCalendarWidget::clicked, this, [this](const QDate &day) {
        setSelectedDate(day);
        hide();
        emit dateTaken(ui::formatDate(day));
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { focusMoved(now); });
}

void MonthView::popUp(const QString &fieldText, QWidget *button, QWidget *dateRow)
{
    const QDate day = ui::parseDate(fieldText).value_or(QDate::currentDate());
    setSelectedDate(day);
    setCurrentPage(day.year(), day.month());
    adjustSize();
    QWidget *window = parentWidget();
    const QPoint under = button->mapTo(window, QPoint(0, button->height()));
    const int top = dateRow->mapTo(window, QPoint(0, 0)).y() - height();
    move(under.x(), std::max(0, top));
    show();
    raise();
    setFocus();
}

void MonthView::focusMoved(QWidget *now)
{
    // The month menu of the calendar is a popup of its own; it does not close it.
    if (!isVisible() || !now || QApplication::activePopupWidget())
        return;
    if (now != this && !isAncestorOf(now))
        hide();
}

} // namespace orv::records
