#include "reports/datefield.h"

#include "data/format.h"
#include "ui/monthview.h"
#include "ui/textlimit.h"

#include <QIcon>
#include <QLineEdit>
#include <QToolButton>

namespace orv::reports {

DateField::DateField(const QString &name, QWidget *parent) : QObject(parent)
{
    m_text = new QLineEdit(parent);
    m_text->setObjectName(QStringLiteral("txt") + name);
    ui::limitLength(m_text, 20);
    m_button = new QToolButton(parent);
    m_button->setObjectName(QStringLiteral("cmdMonthView") + name);
    m_button->setIcon(QIcon(QStringLiteral(":/records-icons/Calendar.svg")));
    m_button->setToolTip(QStringLiteral("Kalender"));
    m_button->setFocusPolicy(Qt::NoFocus);
    // A popup of its own: the report dialog is smaller than the calendar.
    m_calendar = new ui::MonthView(QStringLiteral("MonthView") + name, parent, ui::MonthView::Placement::OwnPopup);
    connect(m_button, &QToolButton::clicked, this, &DateField::showCalendar);
    connect(m_calendar, &ui::MonthView::dateTaken, this,
            [this](const QDate &day) { m_text->setText(data::formatDate(day)); });
}

void DateField::showCalendar() { m_calendar->popUp(m_text->text(), m_text->mapToGlobal(QPoint(0, m_text->height()))); }

} // namespace orv::reports
