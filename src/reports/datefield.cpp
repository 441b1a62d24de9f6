#include "reports/datefield.h"

#include "ui/format.h"
#include "ui/textlimit.h"

#include <QCalendarWidget>
#include <QIcon>
#include <QKeyEvent>
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
    // A popup: it closes when the user clicks elsewhere, which is losing the focus.
    m_calendar = new QCalendarWidget(parent);
    m_calendar->setObjectName(QStringLiteral("MonthView") + name);
    m_calendar->setWindowFlags(Qt::Popup);
    m_calendar->setGridVisible(true);
    m_calendar->hide();

    connect(m_button, &QToolButton::clicked, this, &DateField::showCalendar);
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](QDate date) {
        m_text->setText(ui::formatDate(date));
        m_calendar->hide();
    });
    // Keys as in any date popup: Return takes the selected day, Esc closes without a change.
    m_calendar->installEventFilter(this);
    for (QWidget *w : m_calendar->findChildren<QWidget *>())
        w->installEventFilter(this);
}

bool DateField::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        m_text->setText(ui::formatDate(m_calendar->selectedDate()));
        m_calendar->hide();
        return true;
    }
    if (key->matches(QKeySequence::Cancel)) {
        m_calendar->hide();
        return true;
    }
    return false;
}

void DateField::showCalendar()
{
    const auto typed = ui::parseDate(m_text->text());
    const QDate date = typed.value_or(QDate::currentDate());
    m_calendar->setSelectedDate(date);
    m_calendar->setCurrentPage(date.year(), date.month());
    m_calendar->move(m_text->mapToGlobal(QPoint(0, m_text->height())));
    m_calendar->show();
    m_calendar->setFocus();
}

} // namespace orv::reports
