#include "app/startup.h"
#include "services/connectionrecipe.h"
#include "services/settings.h"
#include "data/backup.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <sys/stat.h>

namespace orv::test {
namespace {

using app::settings::read;
using app::settings::write;

const QString kPrompt = QStringLiteral("Datenbank nicht vorhanden!\r\n\r\nGeben Sie den Pfad ein:");

class StartupTest : public OrvTest {
protected:
    void SetUp() override
    {
        OrvTest::SetUp();
        program = tempPath() + QStringLiteral("/programm");
        data = tempPath() + QStringLiteral("/daten");
        QDir().mkpath(program);
        QDir().mkpath(data);
    }
    static void touchDatabase(const QString &folder)
    {
        QFile f(folder + QStringLiteral("/orv.mdb"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    bool start()
    {
        QLockFile lock(lockPath());
        return app::prepareStart(lock, program);
    }
    QString lockPath() const { return tempPath() + QStringLiteral("/orv.lock"); }
    static QString service(const char *key) { return read(QStringLiteral("Service"), QString::fromLatin1(key)); }
    static QString setting(const char *key) { return read(QStringLiteral("Settings"), QString::fromLatin1(key)); }

    void expectFirstRunDefaults()
    {
        const std::pair<const char *, QString> expected[] = {
            {"WinMaxOpen", "OFF"},    {"TrainingsplanAutoOpen", "OFF"}, {"AnzeigeMaxOpen", "ON"},
            {"PrinterWindow", "ON"}, {"Remark", app::defaultRemark()},  {"TextSeek", "ON"},
            {"SplashScreen", "ON"},  {"QueryEnd", "ON"},
        };
        for (const auto &[key, value] : expected)
            EXPECT_EQ(setting(key), value) << key;
        EXPECT_FALSE(app::defaultRemark().trimmed().isEmpty());
    }

    QString program;
    QString data;
};

TEST_F(StartupTest, FirstRunWithDatabaseBesideProgramAsksNothing)
{
    touchDatabase(program);
    EXPECT_TRUE(start());
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(service("Datenpfad"), program + "/");
    EXPECT_EQ(app::dataPath(), program + "/");
    expectFirstRunDefaults();
}

TEST_F(StartupTest, FirstRunWithoutDatabaseWritesDefaultsThenOffersProgramFolder)
{
    prompter.expectInput(kPrompt, QStringLiteral("Error"), std::nullopt);
    EXPECT_FALSE(start());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.last().preset, program + "/");
    // Cancel ended the start at the question, so these were written before it.
    EXPECT_EQ(service("Datenpfad"), program + "/");
    expectFirstRunDefaults();
}

TEST_F(StartupTest, AnswerGetsOneSeparatorAndIsStoredAtOnce)
{
    touchDatabase(data);
    struct Case {
        QString answer;
        bool fileThere;
        QString stored;
    } cases[] = {
        {data, true, data + "/"},
        {data + "/", true, data + "/"},
        {tempPath() + "/falsch", false, tempPath() + "/falsch/"},
        {tempPath() + "/falsch/", false, tempPath() + "/falsch/"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        write(QStringLiteral("Service"), QStringLiteral("Datenpfad"), tempPath() + "/leer/");
        prompter.expectInput(kPrompt, QStringLiteral("Error"), c.answer);
        if (!c.fileThere)
            prompter.expectMessage(QStringLiteral("Falscher Pfad eingeben!"), QStringLiteral("Error"), ui::Icon::Stop);
        EXPECT_EQ(start(), c.fileThere);
        EXPECT_EQ(prompter.last().isInput, c.fileThere);
        EXPECT_EQ(service("Datenpfad"), c.stored);
        EXPECT_EQ(app::dataPath(), c.stored);
        prompter.verify();
    }
}

TEST_F(StartupTest, WrongFolderIsOfferedAgainOnTheNextStart)
{
    prompter.expectInput(kPrompt, QStringLiteral("Error"), tempPath() + "/falsch");
    prompter.expectMessage(QStringLiteral("Falscher Pfad eingeben!"), QStringLiteral("Error"), ui::Icon::Stop);
    EXPECT_FALSE(start());
    // Asked once per start, never in a loop.
    EXPECT_EQ(prompter.shown().size(), 2u);

    prompter.expectInput(kPrompt, QStringLiteral("Error"), QString());
    EXPECT_FALSE(start());
    EXPECT_EQ(prompter.last().preset, tempPath() + "/falsch/");
    // An empty answer ends silently and changes nothing.
    EXPECT_EQ(service("Datenpfad"), tempPath() + "/falsch/");
}

TEST_F(StartupTest, StoredNeuCountsAsFirstRun)
{
    touchDatabase(program);
    write(QStringLiteral("Service"), QStringLiteral("Datenpfad"), QStringLiteral("NEU"));
    write(QStringLiteral("Settings"), QStringLiteral("QueryEnd"), QStringLiteral("OFF"));
    write(QStringLiteral("Settings"), QStringLiteral("Remark"), QStringLiteral("alt"));
    write(QStringLiteral("Settings"), QStringLiteral("SplashScreen"), QStringLiteral("OFF"));
    EXPECT_TRUE(start());
    EXPECT_EQ(service("Datenpfad"), program + "/");
    expectFirstRunDefaults();
}

TEST_F(StartupTest, LaterRunKeepsTheUsersOptions)
{
    touchDatabase(data);
    for (const QString &stored : {QStringLiteral("neu"), data + "/"}) {
        SCOPED_TRACE(stored.toStdString());
        write(QStringLiteral("Service"), QStringLiteral("Datenpfad"), stored);
        write(QStringLiteral("Settings"), QStringLiteral("QueryEnd"), QStringLiteral("OFF"));
        if (stored == QLatin1String("neu"))
            prompter.expectInput(kPrompt, QStringLiteral("Error"), std::nullopt); // only "NEU" exactly is new
        start();
        EXPECT_EQ(setting("QueryEnd"), QStringLiteral("OFF"));
        EXPECT_EQ(setting("WinMaxOpen"), QString());
        prompter.verify();
    }
}

TEST_F(StartupTest, SecondCopyIsRefusedAndTouchesNoSetting)
{
    touchDatabase(program);
    QLockFile running(lockPath());
    ASSERT_TRUE(app::claimSingleInstance(running));

    prompter.expectMessage(QStringLiteral("Programm ist bereits geladen!"), QStringLiteral("Error"),
                           ui::Icon::Exclamation);
    EXPECT_FALSE(start());
    EXPECT_TRUE(app::settings::readSection(QStringLiteral("Service")).isEmpty());
    EXPECT_TRUE(app::settings::readSection(QStringLiteral("Settings")).isEmpty());
    EXPECT_EQ(app::dataPath(), QString());

    // Once the first copy has ended the next one starts.
    running.unlock();
    EXPECT_TRUE(start());
}

// An installed program: <prefix>/bin/orv beside <prefix>/share/orv/orv.mdb.
TEST_F(StartupTest, InstalledProgramTakesTheUsersDataFolderAndTheTemplate)
{
    const QString prefix = tempPath() + QStringLiteral("/usr");
    const QString userData = tempPath() + QStringLiteral("/home/.local/share/ORV/");
    const QByteArray oldXdg = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (tempPath() + QStringLiteral("/home/.local/share")).toUtf8());
    const mode_t oldMask = umask(027);
    const auto restore = qScopeGuard([&] {
        umask(oldMask);
        qputenv("XDG_DATA_HOME", oldXdg);
    });
    const auto put = [](const QString &folder, const QByteArray &content) {
        QFile f(folder + QStringLiteral("/orv.mdb"));
        return QDir().mkpath(folder) && f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
    };
    const QByteArray empty("leere Datenbank");
    struct Case {
        const char *what;
        bool binWritable, templateThere;
        QString storedPath, storedUri;
        QByteArray ownFile;  // what the data folder holds already
        QString datenpfad;   // after the start
        bool copied;
    } cases[] = {
        {"not writable: user's folder, template copied", false, true, {}, {}, {}, userData, true},
        {"not writable, user has a database", false, true, {}, {}, "eigene", userData, false},
        {"NEU counts as a first run", false, true, "NEU", {}, {}, userData, true},
        {"writable: program folder, template copied", true, true, {}, {}, {}, prefix + "/bin/", true},
        {"no template: the question as before", false, false, {}, {}, {}, userData, false},
        {"stored path: the question as before", false, true, userData, {}, {}, userData, false},
        {"server database: nothing copied", false, true, {}, "postgresql://db.example/orv", {}, userData, false},
    };
    int run = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(prefix).removeRecursively();
        QDir(tempPath() + QStringLiteral("/home")).removeRecursively();
        // Each case is a user who never started the program.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           tempPath() + QStringLiteral("/settings%1").arg(++run));
        // As root every existing folder is writable; a program folder that is
        // not there stands for one the user may not write.
        if (c.binWritable) {
            ASSERT_TRUE(QDir().mkpath(prefix + "/bin"));
        }
        if (c.templateThere) {
            ASSERT_TRUE(put(prefix + "/share/orv", empty));
        }
        if (!c.ownFile.isEmpty()) {
            ASSERT_TRUE(put(userData, c.ownFile));
        }
        if (!c.storedPath.isEmpty())
            write(QStringLiteral("Service"), QStringLiteral("Datenpfad"), c.storedPath);
        if (!c.storedUri.isEmpty())
            write(QStringLiteral("Service"), QStringLiteral("Datenbank"), c.storedUri);
        const bool asked = !c.copied && c.ownFile.isEmpty() && c.storedUri.isEmpty();
        if (asked)
            prompter.expectInput(kPrompt, QStringLiteral("Error"), std::nullopt);

        QLockFile lock(lockPath());
        EXPECT_EQ(app::prepareStart(lock, prefix + "/bin"), !asked);
        EXPECT_EQ(service("Datenpfad"), c.datenpfad);
        if (asked) {
            EXPECT_EQ(prompter.last().preset, c.datenpfad);
        }
        QFile placed(c.datenpfad + QStringLiteral("orv.mdb"));
        const QByteArray expected = c.copied ? empty : c.ownFile;
        EXPECT_EQ(placed.exists(), !expected.isEmpty());
        if (placed.open(QIODevice::ReadOnly)) {
            EXPECT_EQ(placed.readAll(), expected);
        }
        // The copy is the user's file, made with the user's default permissions.
        struct stat st {};
        if (c.copied && stat(QFile::encodeName(placed.fileName()).constData(), &st) == 0) {
            EXPECT_EQ(st.st_mode & 0777, 0640u);
        }
        prompter.verify();
    }
}

// The settings may hold a database address with a password; the single-instance
// lock must not lie where another user could put a file of its name first.
TEST_F(StartupTest, SettingsAreTheOwnersAloneAndTheLockStaysOutOfTheSharedTemporaryFolder)
{
    write(QStringLiteral("Service"), QStringLiteral("Datenbank"), QStringLiteral("postgresql://u:geheim@db/orv"));
    const QString ini = QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ORV"),
                                  QStringLiteral("ORV")).fileName();
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
                        | QFileDevice::WriteOther;
    EXPECT_EQ(QFile::permissions(ini) & others, QFileDevice::Permissions());

    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QStandardPaths::setTestModeEnabled(true);
    qunsetenv("XDG_RUNTIME_DIR");
    const QString path = app::singleInstanceLockPath();
    if (!runtime.isEmpty())
        qputenv("XDG_RUNTIME_DIR", runtime);
    QStandardPaths::setTestModeEnabled(false);
    EXPECT_FALSE(path.startsWith(QDir::tempPath() + QLatin1Char('/'))) << path.toStdString();
    EXPECT_TRUE(path.startsWith(QDir::homePath() + QLatin1Char('/'))) << path.toStdString();
}

// A file without ORV's tables (here: empty) is refused at the connection, in
// German, and stays as it was.
TEST_F(StartupTest, DatabaseWithoutTheTablesIsRefusedWhenConnecting)
{
    touchDatabase(data);
    app::setDataPath(data + QLatin1Char('/'));
    prompter.expectMessage(QStringLiteral("OpenConnectionError: -2147467259 Die Datenbank ") + data
                               + QStringLiteral("/orv.mdb enthält die Tabellen von ORV (Kurs, Mitarbeiter, "
                                                "Trainingsplan) nicht."),
                           QStringLiteral("ORV"), ui::Icon::None);
    data::Connection conn;
    EXPECT_FALSE(app::openConnection(conn));
    EXPECT_FALSE(conn.isOpen());
    EXPECT_EQ(QFileInfo(data + QStringLiteral("/orv.mdb")).size(), 0);
}

TEST_F(StartupTest, DatabaseOnServerNeedsNoFile)
{
    write(QStringLiteral("Service"), QStringLiteral("Datenpfad"), data + "/");
    write(QStringLiteral("Service"), QStringLiteral("Datenbank"), QStringLiteral("postgresql://db.example/orv"));
    EXPECT_TRUE(start());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(StartupTest, FirstStartOfTheDayBacksUpAndAFailureOnlyWarns)
{
    write(QStringLiteral("Service"), QStringLiteral("Datenpfad"), data + "/");
    touchDatabase(data);
    const QString copy = data + QStringLiteral("/Sicherung/") + data::dailyBackupName(QDate::currentDate());
    ASSERT_TRUE(start());
    app::makeDailyBackupAtStart(QDate::currentDate());
    EXPECT_TRUE(QFileInfo(copy).isFile());

    // A folder that cannot be made: one warning, and the program starts.
    QDir(data + QStringLiteral("/Sicherung")).removeRecursively();
    QFile blocker(data + QStringLiteral("/Sicherung"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    prompter.expectMessage(QStringLiteral("Die tägliche Datensicherung konnte nicht angelegt werden.\r\n\r\n"
                                          "Der Ordner kann nicht angelegt werden. (")
                               + data + QStringLiteral("/Sicherung)"),
                           QStringLiteral("Warnung"), ui::Icon::Exclamation);
    app::makeDailyBackupAtStart(QDate::currentDate());

    // A server database is left to the server's tools.
    QFile::remove(data + QStringLiteral("/Sicherung"));
    write(QStringLiteral("Service"), QStringLiteral("Datenbank"), QStringLiteral("postgresql://db.example/orv"));
    app::makeDailyBackupAtStart(QDate::currentDate());
    EXPECT_FALSE(QFileInfo::exists(data + QStringLiteral("/Sicherung")));
}

} // namespace
} // namespace orv::test
