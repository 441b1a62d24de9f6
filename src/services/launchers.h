#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

class QWidget;

namespace orv::services {

// The calculator of the toolbar button "Rechner". A calculator this program
// started is reused while it runs (bringing a foreign window to the front is
// not possible on every desktop, so it is left as it is); otherwise the first
// of the usual calculator programs found on PATH is started.
class CalculatorLauncher {
public:
    // The programs looked for, in this order.
    static QStringList candidates();
    // Starts one unless ours still runs; true when one runs afterwards.
    bool bringUp();
    bool isRunning() const;
    qint64 pid() const { return m_pid; }

private:
    qint64 m_pid = 0;
    QByteArray m_started; // start time of that process, to know it again
};

// The desktop's file manager on the current directory; false when none could be started.
bool openFileManager();

// The handbook's start page: the copy installed beside the program
// (../share/doc/orv/handbuch/index.html from its folder), else the one in
// the source tree a build runs from; "" when there is neither.
QString handbookFile();
// "&Handbuch": the handbook in the desktop's browser. When it is missing or
// no browser can be started, the user is told where the file lies.
void showHandbook(QWidget *parent);

// The folder that holds the database file and its "Sicherung"; "" when the
// database lies on a server.
QString databaseFolder();
// "&Datenordner öffnen": that folder in the desktop's file manager, or a
// message naming it when none can be started.
void showDatabaseFolder(QWidget *parent);

} // namespace orv::services
