#pragma once
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace orv::ui {
class MonthView;
}

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
    ui::MonthView *calendar() const { return m_calendar; }

    void showCalendar();

private:
    QLineEdit *m_text;
    QToolButton *m_button;
    ui::MonthView *m_calendar;
};

} // namespace orv::reports
