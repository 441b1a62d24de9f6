#pragma once

namespace orv::records {
class RecordForm;
}

namespace orv::series {

// "Reihe und Gültigkeit…" and "Folgetermin anlegen…" in the course window,
// for the shown course.
void attachToKurs(records::RecordForm &window);

} // namespace orv::series
