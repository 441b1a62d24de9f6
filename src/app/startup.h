#pragma once
#include <QDate>
#include <QString>

class QApplication;
class QLockFile;
class QTranslator;

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
bool claimSingleInstance(QLockFile &lock); // false: "Programm ist bereits geladen!"
// Only when Datenpfad is absent or "NEU"; true: this is the first run.
bool writeFirstRunDefaults(const QString &programFolder);
// Sets dataPath(); false: end. On the first run a missing database file is
// first taken from the template an installed program ships.
bool locateDatabase(const QString &programFolder, bool firstRun = false);

// The data folder the first run stores: the program's folder when the user
// may write there (a copy in a folder of its own), otherwise the user's data
// folder (~/.local/share/ORV/), as for a program installed under /usr/bin.
QString firstRunDataFolder(const QString &programFolder);
// The empty database an installed program ships, relative to its folder
// (<prefix>/bin -> <prefix>/share/orv/orv.mdb).
QString templateDatabasePath(const QString &programFolder);
// A database file that cannot be written (the file or its folder
// write-protected) is one warning at start; the windows then only show.
void warnIfDatabaseReadOnly();
// The first start of a day copies a SQLite database into its backup folder;
// a failure is one warning, and the program starts all the same.
void makeDailyBackupAtStart(const QDate &today);

// Installs Qt's German texts ("Ja", "Nein", the print dialog); nullptr when
// the translation is not installed.
QTranslator *loadQtTranslations(QApplication &app);
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
