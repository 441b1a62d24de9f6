#pragma once
#include <QString>

namespace orv::records {

class RecordForm;

// Creates and opens a record window by its name ("frmKurs", "frmMitarbeiter",
// "frmTrainingsplan"): connection, rows, first row. With a window host the
// caller adds it as a child window (the window then takes its opening size);
// without one it shows itself. nullptr for any other name.
RecordForm *openRecordWindow(const QString &name);

} // namespace orv::records
