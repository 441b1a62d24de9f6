#include "ui/monthview.h"

#include "data/dates.h"

#include <QApplication>
#include <QKeyEvent>

namespace orv::ui {

MonthView::MonthView(const QString &name, QWidget *parent, Placement placement) : QCalendarWidget(parent)
{
    setObjectName(name);
    if (placement == Placement::OwnPopup)
        setWindowFlags(Qt::Popup);
    setGridVisible(true);
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

void MonthView::popUp(const QString &fieldText, QPoint topLeft)
{
    const QDate day = data::parseDate(fieldText).value_or(QDate::currentDate());
    setSelectedDate(day);
    setCurrentPage(day.year(), day.month());
    adjustSize();
    move(topLeft);
    show();
    raise();
    setFocus();
}

void MonthView::popUpAbove(const QString &fieldText, QWidget *button, QWidget *dateRow)
{
    adjustSize();
    QWidget *window = parentWidget();
    const QPoint under = button->mapTo(window, QPoint(0, button->height()));
    const int top = dateRow->mapTo(window, QPoint(0, 0)).y() - height();
    popUp(fieldText, QPoint(under.x(), std::max(0, top)));
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

} // namespace orv::ui
