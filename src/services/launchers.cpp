#include "services/launchers.h"

#include "services/connectionrecipe.h"
#include "ui/prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <memory>

namespace orv::services {

namespace {
constexpr qint64 kStartingMs = 15000;
} // namespace

qint64 launch(const QString &program, const QStringList &arguments, QObject *context, const LaunchFailed &failed)
{
    const QString name = QFileInfo(program).fileName();
    const QString path = QStandardPaths::findExecutable(program);
    const QPointer<QObject> alive(context);
    const auto tell = [alive, hasContext = context != nullptr, failed](const QString &reason) {
        if (failed && (!hasContext || alive))
            failed(reason);
    };
    if (path.isEmpty()) {
        tell(QStringLiteral("Das Programm „%1“ ist auf diesem Arbeitsplatz nicht installiert.").arg(name));
        return 0;
    }
    // Without a parent: the process object lives as long as the program, and
    // is not there to end it when ORV ends.
    auto *process = new QProcess;
    process->setProgram(path);
    process->setArguments(arguments);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        tell(QStringLiteral("Das Programm „%1“ kann nicht gestartet werden.").arg(path));
        return 0;
    }
    // xdg-open may wait for the program it started; an error at its end,
    // long after the start, is that program's and not a failed start.
    QElapsedTimer running;
    running.start();
    QObject::connect(
        process, &QProcess::finished, process, [process, path, tell, running](int code, QProcess::ExitStatus status) {
            process->deleteLater();
            if (running.elapsed() > kStartingMs)
                return;
            if (status == QProcess::CrashExit)
                tell(QStringLiteral("Das Programm „%1“ ist abgestürzt.").arg(path));
            else if (code != 0)
                tell(QStringLiteral("Das Programm „%1“ endete mit dem Fehlercode %2.").arg(path).arg(code));
        });
    return process->processId();
}

qint64 launchFirst(const QStringList &programs, QObject *context, const LaunchFailed &failed)
{
    const auto started = std::make_shared<bool>(false);
    for (const QString &program : programs) {
        const qint64 pid = launch(program, {}, context, [started, failed](const QString &reason) {
            if (*started && failed)
                failed(reason);
        });
        if (pid) {
            *started = true;
            return pid;
        }
    }
    return 0;
}

void openOnDesktop(const QUrl &url, QObject *context, const LaunchFailed &failed)
{
    launch(QStringLiteral("xdg-open"), {url.isLocalFile() && !url.hasFragment() ? url.toLocalFile() : url.toString()},
           context, failed);
}

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

bool CalculatorLauncher::bringUp(QObject *context, const LaunchFailed &failed)
{
    if (isRunning())
        return true;
    m_pid = 0;
    m_started.clear();
    m_pid = launchFirst(candidates(), context, failed);
    if (m_pid)
        m_started = processStamp(m_pid);
    return m_pid != 0;
}

void showFileManager(QWidget *parent)
{
    const QString folder = QDir::currentPath();
    openOnDesktop(QUrl::fromLocalFile(folder), parent, [parent, folder](const QString &reason) {
        ui::inform(parent,
                   QStringLiteral("Der Dateimanager kann nicht gestartet werden: Auf diesem Arbeitsplatz ist kein "
                                  "Programm zum Öffnen von Ordnern eingerichtet.\r\n\r\n")
                       + reason + QStringLiteral("\r\n\r\nGeöffnet werden sollte der Ordner\r\n")
                       + QDir::toNativeSeparators(folder),
                   QStringLiteral("Explorer"), ui::Icon::Exclamation);
    });
}

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

void tellHandbookMissing(QWidget *parent)
{
    ui::inform(parent,
               QStringLiteral("Das Handbuch ist auf diesem Arbeitsplatz nicht vorhanden.\r\n\r\nDas Paket „orv“ "
                              "legt es in den Ordner\r\n")
                   + QDir::toNativeSeparators(installedHandbookFolder())
                   + QStringLiteral("\r\n\r\nBitte wenden Sie sich an Ihren Administrator."),
               QStringLiteral("Handbuch"), ui::Icon::Exclamation);
}

void showHandbookInBrowser(QWidget *parent, const QString &anchor)
{
    const QString page = handbookFile();
    if (page.isEmpty()) {
        tellHandbookMissing(parent);
        return;
    }
    QUrl url = QUrl::fromLocalFile(page);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    openOnDesktop(url, parent, [parent, page](const QString &reason) {
        ui::inform(parent,
                   QStringLiteral("Das Handbuch kann nicht im Browser angezeigt werden: Auf diesem Arbeitsplatz ist "
                                  "kein Browser eingerichtet.\r\n\r\n")
                       + reason + QStringLiteral("\r\n\r\nSie finden das Handbuch in der Datei\r\n")
                       + QDir::toNativeSeparators(page)
                       + QStringLiteral("\r\n\r\nÖffnen Sie diese Datei mit einem Browser."),
                   QStringLiteral("Handbuch"), ui::Icon::Exclamation);
    });
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
    openOnDesktop(QUrl::fromLocalFile(folder), parent, [parent, folder, title](const QString &reason) {
        ui::inform(parent,
                   QStringLiteral("Der Datenordner kann nicht geöffnet werden: Auf diesem Arbeitsplatz ist kein "
                                  "Programm zum Öffnen von Ordnern eingerichtet.\r\n\r\n")
                       + reason + QStringLiteral("\r\n\r\nDie Datenbank ") + databaseFileName()
                       + QStringLiteral(" und ihre Sicherungen (Ordner „Sicherung“) liegen in\r\n")
                       + QDir::toNativeSeparators(folder),
                   title, ui::Icon::Exclamation);
    });
}

} // namespace orv::services
