#include "app/startup.h"

#include "app/frmmain.h"
#include "data/backup.h"
#include "data/dberror.h"
#include "data/format.h"
#include "services/clipboard.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "ui/prompter.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QSessionManager>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTranslator>

namespace orv::app {

namespace settings = services::settings;

namespace {

const QString kError = QStringLiteral("Error");

SplashRoutine g_splash = nullptr;

// On Linux the folder separator is "/".
QString withSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool databaseFileExists() { return QFileInfo(services::dataPath() + services::databaseFileName()).isFile(); }

// Copies the template into the data folder: a new file for the user alone
// (0600 from its creation on, whatever the umask: it holds personal data; the
// template belongs to root and is read-only), never over a file that is there.
bool placeTemplateDatabase(const QString &programFolder)
{
    QFile in(templateDatabasePath(programFolder));
    if (!in.open(QIODevice::ReadOnly) || !QDir().mkpath(services::dataPath()))
        return false;
    QFile out(services::dataPath() + services::databaseFileName());
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    const QByteArray content = in.readAll();
    const bool written = in.error() == QFileDevice::NoError && out.write(content) == content.size() && out.flush();
    out.close();
    // A half-written database would pass the file test and fail every window.
    if (!written || out.error() != QFileDevice::NoError) {
        out.remove();
        return false;
    }
    return true;
}

} // namespace

QTranslator *loadQtTranslations(QApplication &app)
{
    // Qt's own texts ("Ja", "Nein", the print dialog) in German.
    auto *qt = new QTranslator(&app);
    if (qt->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
        return qt;
    }
    delete qt;
    return nullptr;
}

QString defaultRemark()
{
    return QStringLiteral("Änderungen und Ergänzungen bitte an die Personalentwicklung melden.");
}

QString singleInstanceLockPath()
{
    // The runtime folder belongs to the user alone. Without one, the lock goes
    // to the user's own data folder, never to the shared temporary folder,
    // where another user could put a file of that name first and block the
    // start. The host's name keeps workstations that share a home folder apart.
    // (Qt's own stand-in for a missing runtime folder lies in the temporary folder.)
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!runtime.isEmpty())
            return runtime + QStringLiteral("/orv.lock");
    }
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ORV");
    QDir().mkpath(dir);
    return dir + QStringLiteral("/orv-") + QSysInfo::machineHostName() + QStringLiteral(".lock");
}

bool claimSingleInstance(QLockFile &lock)
{
    // A lock left by a copy that died is taken over; age alone never makes one stale.
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return true;
    ui::inform(nullptr, QStringLiteral("Programm ist bereits geladen!"), kError, ui::Icon::Exclamation);
    return false;
}

QString firstRunDataFolder(const QString &programFolder)
{
    if (QFileInfo(programFolder).isWritable())
        return withSeparator(programFolder);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/ORV/");
}

QString templateDatabasePath(const QString &programFolder)
{
    return QDir::cleanPath(programFolder + QLatin1String("/" ORV_TEMPLATE_FROM_BINDIR "/")
                           + services::databaseFileName());
}

bool writeFirstRunDefaults(const QString &programFolder)
{
    if (settings::dataFolderChosen())
        return false;
    settings::writeFirstRunDefaults(firstRunDataFolder(programFolder), defaultRemark());
    return true;
}

bool locateDatabase(const QString &programFolder, bool firstRun)
{
    services::setDataPath(settings::dataFolder(programFolder));
    // A database on a PostgreSQL server has no file to look for.
    if (services::connectionTarget().kind == data::BackendKind::Postgres)
        return true;
    if (databaseFileExists())
        return true;
    if (firstRun && placeTemplateDatabase(programFolder))
        return true;

    const std::optional<QString> answer = ui::Prompter::instance().input(
        nullptr, QStringLiteral("Datenbank nicht vorhanden!\r\n\r\nGeben Sie den Pfad ein:"), kError,
        services::dataPath());
    if (!answer || answer->isEmpty())
        return false;
    // Stored at once: a wrong folder is offered again on the next start.
    services::setDataPath(withSeparator(*answer));
    settings::setDataFolder(services::dataPath());
    if (databaseFileExists())
        return true;
    ui::inform(nullptr, QStringLiteral("Falscher Pfad eingeben!"), kError, ui::Icon::Stop);
    return false;
}

void makeDailyBackupAtStart(const QDate &today)
{
    const data::ConnectionTarget target = services::connectionTarget();
    // A server database is backed up by the server's own tools.
    if (target.kind != data::BackendKind::Sqlite)
        return;
    try {
        data::makeDailyBackup(target.location, today);
    } catch (const data::DbError &e) {
        ui::inform(nullptr,
                   QStringLiteral("Die tägliche Datensicherung konnte nicht angelegt werden.\r\n\r\n")
                       + e.description(),
                   QStringLiteral("Warnung"), ui::Icon::Exclamation);
    }
}

void warnIfDatabaseReadOnly()
{
    const data::ConnectionTarget target = services::connectionTarget();
    try {
        data::Connection conn;
        conn.open(target);
        if (conn.writable())
            return;
    } catch (const data::DbError &) {
        return; // a database that cannot be opened is reported by the window that opens it
    }
    if (target.kind == data::BackendKind::Postgres) {
        ui::inform(nullptr,
                   QStringLiteral("Ihr Datenbankbenutzer darf die Datenbank nur lesen:\r\n\r\n") + target.displayName()
                       + QStringLiteral("\r\n\r\nSie können die Daten ansehen, aber nicht ändern. Änderungen sind "
                                        "möglich, sobald der Administrator Ihnen Schreibrechte gibt."),
                   QStringLiteral("Warnung"), ui::Icon::Exclamation);
        return;
    }
    ui::inform(nullptr,
               QStringLiteral("Die Datenbank ist schreibgeschützt:\r\n\r\n") + QDir::toNativeSeparators(target.location)
                   + QStringLiteral("\r\n\r\nSie können die Daten ansehen, aber nicht ändern. Änderungen sind "
                                    "möglich, sobald die Datei und ihr Ordner wieder beschreibbar sind."),
               QStringLiteral("Warnung"), ui::Icon::Exclamation);
}

bool prepareStart(QLockFile &lock, const QString &programFolder)
{
    if (!claimSingleInstance(lock))
        return false;
    const bool firstRun = writeFirstRunDefaults(programFolder);
    if (!locateDatabase(programFolder, firstRun))
        return false;
    warnIfDatabaseReadOnly();
    return true;
}

void setSplashRoutine(SplashRoutine routine) { g_splash = routine; }
SplashRoutine splashRoutine() { return g_splash; }

int runProgram(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ORV"));
    QGuiApplication::setDesktopFileName(QStringLiteral("orv"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/orv.svg")));
    data::applyProgramLocale();
    loadQtTranslations(app);

    QLockFile lock(singleInstanceLockPath());
    if (!prepareStart(lock, QCoreApplication::applicationDirPath()))
        return 0;
    makeDailyBackupAtStart(QDate::currentDate());

    if (settings::isOn(settings::Switch::SplashScreen) && g_splash)
        g_splash();

    FrmMain main;
#ifndef QT_NO_SESSIONMANAGER
    // Logging off or shutting down closes the program like any other way of closing.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &main, [&main](QSessionManager &manager) {
        if (manager.allowsInteraction()) {
            const bool closed = main.close();
            manager.release();
            if (!closed)
                manager.cancel();
        }
    });
#endif
    main.show();
    return app.exec();
}

} // namespace orv::app
