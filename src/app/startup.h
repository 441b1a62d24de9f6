#pragma once

namespace orv::app {

// The program's main routine: single instance, first-run defaults, the
// database check, the splash screen and the main window.
int runProgram(int argc, char *argv[]);

} // namespace orv::app
