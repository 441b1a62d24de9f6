#pragma once
#include "ui/windownames.h"

namespace orv::records {

class RecordForm;

// Creates and opens a record window (Kurs, Mitarbeiter, Trainingsplan):
// connection, rows, first row. With a window host the caller adds it as a
// child window (the window then takes its opening size); without one it shows
// itself. nullptr for any other window.
RecordForm *openRecordWindow(ui::WindowId window);

} // namespace orv::records
