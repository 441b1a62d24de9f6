#pragma once
#include <QWidget>

class QCalendarWidget;
class QLineEdit;
class QToolButton;

namespace orv::reports {

// A date text with a button that opens a month calendar under it. The
// calendar starts on the typed date (today when the text is no date); a
// click on a day writes the date and closes it, and so does leaving it.
class DateField : public QObject {
    Q_OBJECT
public:
    // `name` is the suffix of the control names: txt<name>, cmdMonthView<name>, MonthView<name>.
    DateField(const QString &name, QWidget *parent);

    QLineEdit *text() const { return m_text; }
    QToolButton *button() const { return m_button; }
    QCalendarWidget *calendar() const { return m_calendar; }

    void showCalendar();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_text;
    QToolButton *m_button;
    QCalendarWidget *m_calendar;
};

} // namespace orv::reports
