#include "services/launchers.h"

#include "services/connectionrecipe.h"
#include "ui/prompter.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

namespace {

// Where the package puts the handbook, seen from the program's folder
// (/usr/bin/orv: /usr/share/doc/orv/handbuch).
QString installedHandbookFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1String("/" ORV_HANDBOOK_FROM_BINDIR));
}

QString handbookPage(const QString &folder) { return folder + QLatin1String("/index.html"); }

} // namespace

QString handbookFile()
{
    for (const QString &folder : {installedHandbookFolder(), QStringLiteral(ORV_HANDBOOK_SOURCE_DIR)}) {
        if (QFileInfo(handbookPage(folder)).isFile())
            return handbookPage(folder);
    }
    return {};
}

void showHandbook(QWidget *parent)
{
    const QString title = QStringLiteral("Handbuch");
    const QString page = handbookFile();
    if (page.isEmpty()) {
        ui::inform(parent,
                   QStringLiteral("Das Handbuch ist auf diesem Arbeitsplatz nicht vorhanden.\r\n\r\nDas Paket „orv“ "
                                  "legt es in den Ordner\r\n")
                       + QDir::toNativeSeparators(installedHandbookFolder())
                       + QStringLiteral("\r\n\r\nBitte wenden Sie sich an Ihren Administrator."),
                   title, ui::Icon::Exclamation);
        return;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        return;
    ui::inform(parent,
               QStringLiteral("Das Handbuch kann nicht angezeigt werden: Auf diesem Arbeitsplatz ist kein Browser "
                              "eingerichtet.\r\n\r\nSie finden das Handbuch in der Datei\r\n")
                   + QDir::toNativeSeparators(page)
                   + QStringLiteral("\r\n\r\nÖffnen Sie diese Datei mit einem Browser."),
               title, ui::Icon::Exclamation);
}

QString databaseFolder()
{
    const data::ConnectionTarget target = connectionTarget();
    if (target.kind != data::BackendKind::Sqlite)
        return {};
    return QFileInfo(target.location).absolutePath();
}

void showDatabaseFolder(QWidget *parent)
{
    const QString folder = databaseFolder();
    // A server database has no folder here; the menu item is disabled then.
    if (folder.isEmpty())
        return;
    const QString title = QStringLiteral("Datenordner");
    // A folder removed meanwhile would only make the file manager fail out of sight.
    if (!QFileInfo(folder).isDir()) {
        ui::inform(parent,
                   QStringLiteral("Der Datenordner ist nicht vorhanden:\r\n") + QDir::toNativeSeparators(folder), title,
                   ui::Icon::Exclamation);
        return;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        return;
    ui::inform(parent,
               QStringLiteral("Der Datenordner kann nicht geöffnet werden: Auf diesem Arbeitsplatz ist kein "
                              "Programm zum Öffnen von Ordnern eingerichtet.\r\n\r\nDie Datenbank ")
                   + databaseFileName() + QStringLiteral(" und ihre Sicherungen (Ordner „Sicherung“) liegen in\r\n")
                   + QDir::toNativeSeparators(folder),
               title, ui::Icon::Exclamation);
}

} // namespace orv::services
