#pragma once
#include <QString>

// The training plan window, a save, the search round trip and the report into
// the display window on the SQLite database `file`, as a user waits for them.
void runUserBench(const QString &file, int entries);
