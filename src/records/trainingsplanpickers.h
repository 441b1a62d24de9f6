#pragma once
#include <QCalendarWidget>
#include <QDate>
#include <QString>
#include <optional>

namespace orv::data {
class Connection;
}

namespace orv::records {

class FrmTrainingsplan;

// Lets the user pick a course / an employee in the search dialog over the
// rows of `conn` and gives its key as stored (KursNr / Name). nullopt when
// the user cancelled or the rows could not be read (an error box has said so).
std::optional<QString> pickKursNr(QWidget *parent, data::Connection &conn);
std::optional<QString> pickName(QWidget *parent, data::Connection &conn);

// A month calendar that pops up over its window to pick a date for one date
// field. It is hidden until popUp(); a clicked day is handed out through
// dateTaken and closes it, and so does the focus going elsewhere.
class MonthView : public QCalendarWidget {
    Q_OBJECT
public:
    // `name` is the object name (MonthViewVon / MonthViewBis); `window` the parent it pops up over.
    MonthView(const QString &name, QWidget *window);

    // Shows the date of `fieldText`, or today when it holds no valid date, with
    // the left edge under `button` and the bottom edge just above `dateRow`,
    // and takes the focus.
    void popUp(const QString &fieldText, QWidget *button, QWidget *dateRow);

signals:
    void dateTaken(const QDate &day);

protected:
    // Return takes the selected day, Esc closes without a change.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void focusMoved(QWidget *now);
};

// Gives the training plan window its course and employee pickers and its two
// calendars MonthViewVon and MonthViewBis.
void attachPickers(FrmTrainingsplan &window);

} // namespace orv::records
