#pragma once
#include <QString>

namespace orv::records {

class RecordForm;

// Creates and opens a record window by its name ("frmKurs", "frmMitarbeiter",
// "frmTrainingsplan"): size, connection, rows, first row. The window adds
// itself to the window host. nullptr for any other name.
RecordForm *openRecordWindow(const QString &name);

} // namespace orv::records
