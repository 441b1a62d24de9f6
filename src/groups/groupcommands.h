#pragma once

namespace orv::records {
class RecordForm;
}

namespace orv::groups {

// "Für mehrere einplanen…" (with its toolbar button) and "Mehrere ändern…"
// in the training plan window, for the course of the shown entry; the
// window reads its rows again afterwards and shows the first entry written.
void attachToTrainingsplan(records::RecordForm &window);
// "Für mehrere einplanen…" in the course window, for the shown course.
void attachToKurs(records::RecordForm &window);

} // namespace orv::groups
