#include "services/launchers.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace orv::services {

QStringList CalculatorLauncher::candidates()
{
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
            QStringLiteral("mate-calc"),        QStringLiteral("xcalc"), QStringLiteral("qalculate-gtk")};
}

namespace {

// State letter and start time of a process from /proc; empty when it is gone.
QByteArray processStamp(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    // The command name in parentheses may hold blanks; the fields follow the last ')'.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20 || fields.at(0) == "Z" || fields.at(0) == "X")
        return {};
    return fields.at(19); // start time since boot
}

} // namespace

bool CalculatorLauncher::isRunning() const
{
    // The number may have gone to another process meanwhile: ours started
    // at the moment noted when it was launched.
    return m_pid > 0 && !m_started.isEmpty() && processStamp(m_pid) == m_started;
}

bool CalculatorLauncher::bringUp()
{
    if (isRunning())
        return true;
    m_pid = 0;
    m_started.clear();
    for (const QString &name : candidates()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (path.isEmpty())
            continue;
        // Detached, so that the calculator outlives the program as it would
        // when started from the desktop.
        qint64 pid = 0;
        if (QProcess::startDetached(path, {}, QString(), &pid)) {
            m_pid = pid;
            m_started = processStamp(pid);
            return true;
        }
    }
    return false;
}

bool openFileManager() { return QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::currentPath())); }

} // namespace orv::services
