#pragma once
#include <QCalendarWidget>
#include <QString>
#include <optional>

namespace orv::data {
class Connection;
}

namespace orv::records {

// The course a user picked for a new training-plan entry, as the entry
// window's fields take it (texts at their column width, numbers formatted).
struct KursChoice {
    QString kursNr, beschreibung, referent, kosten, dauer, rubrik, art;
};
// The employee picked for a new training-plan entry.
struct MitarbeiterChoice {
    QString name, kostenstelle, abteilung, kategorie, bereich;
};

// Lets the user pick a course / an employee in the search dialog over the
// rows of `conn`. nullopt when the user cancelled or the rows could not be
// read (then an error box has said so). Missing values come as empty text.
std::optional<KursChoice> pickKurs(QWidget *parent, data::Connection &conn);
std::optional<MitarbeiterChoice> pickMitarbeiter(QWidget *parent, data::Connection &conn);

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
    // The clicked day in the user's short date format.
    void dateTaken(const QString &text);

private:
    void focusMoved(QWidget *now);
};

} // namespace orv::records
