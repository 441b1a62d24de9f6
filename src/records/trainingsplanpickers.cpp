#include "records/trainingsplanpickers.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/recordset.h"
#include "records/frmtrainingsplan.h"
#include "search/seek.h"
#include "ui/format.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QKeyEvent>
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
        rows.openQuery(conn, QStringLiteral("select * from ") + table);
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

MonthView::MonthView(const QString &name, QWidget *window) : QCalendarWidget(window)
{
    setObjectName(name);
    hide();
    auto take = [this](const QDate &day) {
        setSelectedDate(day);
        hide();
        emit dateTaken(day);
    };
    connect(this, &QCalendarWidget::clicked, this, take);
    // Return (or a double click) on the selected day.
    connect(this, &QCalendarWidget::activated, this, take);
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

void MonthView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        hide();
        return;
    }
    QCalendarWidget::keyPressEvent(event);
}

void MonthView::focusMoved(QWidget *now)
{
    // The month menu of the calendar is a popup of its own; it does not close it.
    if (!isVisible() || !now || QApplication::activePopupWidget())
        return;
    if (now != this && !isAncestorOf(now))
        hide();
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
    auto *von = new MonthView(QStringLiteral("MonthViewVon"), w);
    auto *bis = new MonthView(QStringLiteral("MonthViewBis"), w);
    QObject::connect(von, &MonthView::dateTaken, w, [w](const QDate &day) { w->takeDate(8, day); });
    QObject::connect(bis, &MonthView::dateTaken, w, [w](const QDate &day) { w->takeDate(9, day); });
    QObject::connect(w, &FrmTrainingsplan::pickDateRequested, w, [w, von, bis](int field) {
        if (field == 8)
            von->popUp(w->txtFields[8]->text(), w->cmdMonthViewVon, w->txtFields[8]);
        else if (field == 9)
            bis->popUp(w->txtFields[9]->text(), w->cmdMonthViewBis, w->txtFields[9]);
    });
}

} // namespace orv::records
