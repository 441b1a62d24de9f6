#pragma once
#include <QString>

class QLockFile;

namespace orv::app {

// The program's main routine: single instance, first-run defaults, the
// database check, the splash screen and the main window.
int runProgram(int argc, char *argv[]);

// The steps before the main window, apart so that they can run without
// ending the process. `lock` guards against a second copy and stays locked
// for the whole run; `programFolder` is the folder of the program file
// (without a trailing separator). False: the program ends here (the user has
// been told why, or chose to end).
bool prepareStart(QLockFile &lock, const QString &programFolder);

// Single steps of prepareStart.
bool claimSingleInstance(QLockFile &lock);             // false: "Programm ist bereits geladen!"
void writeFirstRunDefaults(const QString &programFolder); // only when Datenpfad is absent or "NEU"
bool locateDatabase(const QString &programFolder);       // sets dataPath(); false: end

// The per-user lock file that marks a running copy.
QString singleInstanceLockPath();
// The remark the first run puts on every report.
QString defaultRemark();

// The splash screen comes with the About window: its module installs a
// routine that shows the window in splash mode, waits and unloads it.
// Start-up calls it when the setting SplashScreen is "ON"; without one
// installed nothing is shown.
using SplashRoutine = void (*)();
void setSplashRoutine(SplashRoutine routine);
SplashRoutine splashRoutine();

} // namespace orv::app
