#pragma once
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

// Gives the training plan window its course and employee pickers and its two
// calendars MonthViewVon and MonthViewBis.
void attachPickers(FrmTrainingsplan &window);

} // namespace orv::records
