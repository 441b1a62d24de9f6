#pragma once
#include <functional>

// A statement that waits for another workstation's lock (SQLite's write lock
// on the file, a row or table lock on the server) says so, so that the window
// can tell the user what it waits for instead of seeming to hang.
namespace orv::data::lockwait {

// After a moment of waiting the observer is told `true`, then again about ten
// times a second while the wait lasts (time to repaint), and `false` once
// when the statement goes on. Only statements on the program's main thread
// are reported; the observer must not use the connection that waits.
using Observer = std::function<void(bool waiting)>;
void setObserver(Observer observer);

// For the engines: a wait goes on (call about every 100 ms at most), and the
// statement that waited has its answer.
void waiting();
void over();
// Milliseconds since the current wait began; 0 when none.
long long waitedMs();

} // namespace orv::data::lockwait
