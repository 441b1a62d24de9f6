#include "app/launchers.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <signal.h>

namespace orv::app {

QStringList CalculatorLauncher::candidates()
{
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
            QStringLiteral("mate-calc"),        QStringLiteral("xcalc"), QStringLiteral("qalculate-gtk")};
}

bool CalculatorLauncher::isRunning() const
{
    if (m_pid <= 0 || ::kill(pid_t(m_pid), 0) != 0)
        return false;
    // The number may have gone to another program meanwhile: ours has the
    // calculator's path on its command line.
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(m_pid));
    if (!cmdline.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> args = cmdline.readAll().split('\0');
    return args.contains(QFile::encodeName(m_program));
}

bool CalculatorLauncher::bringUp()
{
    if (isRunning())
        return true;
    m_pid = 0;
    for (const QString &name : candidates()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (path.isEmpty())
            continue;
        // Detached, so that the calculator outlives the program as it would
        // when started from the desktop.
        qint64 pid = 0;
        if (QProcess::startDetached(path, {}, QString(), &pid)) {
            m_pid = pid;
            m_program = path;
            return true;
        }
    }
    return false;
}

void openFileManager()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::currentPath()));
}

} // namespace orv::app
