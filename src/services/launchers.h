#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class QObject;
class QUrl;
class QWidget;

namespace orv::services {

// Why a program of the desktop did not come up, in German.
using LaunchFailed = std::function<void(const QString &reason)>;

// Starts a program of the desktop, not tied to ORV: it runs on when ORV
// ends, as if started from the desktop. `failed` is told (while `context`
// lives) when it cannot be started or ends with an error, as xdg-open does
// when no program opens the file ("no method available"). Returns its
// process id; 0 when it could not be started (then `failed` has been told).
qint64 launch(const QString &program, const QStringList &arguments, QObject *context, const LaunchFailed &failed);
// The first of the programs that starts; `failed` is told only when it ends
// with an error. 0 when none could be started (nothing told then).
qint64 launchFirst(const QStringList &programs, QObject *context, const LaunchFailed &failed);
// A file or folder with the desktop's program for it (xdg-open).
void openOnDesktop(const QUrl &url, QObject *context, const LaunchFailed &failed);

// The calculator of the toolbar button "Rechner". A calculator this program
// started is reused while it runs (bringing a foreign window to the front is
// not possible on every desktop, so it is left as it is); otherwise the first
// of the usual calculator programs found on PATH is started.
class CalculatorLauncher {
public:
    // The programs looked for, in this order.
    static QStringList candidates();
    // Starts one unless ours still runs; true when one runs afterwards.
    // `failed` is told when the one started ends with an error.
    bool bringUp(QObject *context = nullptr, const LaunchFailed &failed = {});
    bool isRunning() const;
    qint64 pid() const { return m_pid; }

private:
    qint64 m_pid = 0;
    QByteArray m_started; // start time of that process, to know it again
};

// "Explorer": the desktop's file manager on the current folder, or a message naming it.
void showFileManager(QWidget *parent);

// The handbook's start page: the copy installed beside the program
// (../share/doc/orv/handbuch/index.html from its folder), else the one in
// the source tree a build runs from; "" when there is neither.
QString handbookFile();
// "Im Browser öffnen": the handbook (at `anchor`) in the desktop's browser.
// When it is missing or no browser can be started, the user is told where the file lies.
void showHandbookInBrowser(QWidget *parent, const QString &anchor = {});
// "Das Handbuch ist auf diesem Arbeitsplatz nicht vorhanden …", naming where the package puts it.
void tellHandbookMissing(QWidget *parent);

// The folder that holds the database file and its "Sicherung"; "" when the
// database lies on a server.
QString databaseFolder();
// "&Datenordner öffnen": that folder in the desktop's file manager, or a
// message naming it when none can be started.
void showDatabaseFolder(QWidget *parent);

} // namespace orv::services
