#include "data/backup.h"
#include "data/dberror.h"
#include "support/ordinaryuser.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <sys/stat.h>

namespace orv::test {
namespace {

class BackupTest : public OrvTest {
protected:
    void SetUp() override
    {
        OrvTest::SetUp();
        db = tempPath() + u"/daten/orv.mdb"_s;
        QDir().mkpath(QFileInfo(db).absolutePath());
        sqlite3 *h = open(db);
        run(h, "PRAGMA journal_mode=DELETE; CREATE TABLE Kurs(KursNr TEXT PRIMARY KEY, Kosten REAL);"
               "INSERT INTO Kurs VALUES('K001', 100.5), ('K002', 250);");
        sqlite3_close(h);
    }
    static sqlite3 *open(const QString &file)
    {
        sqlite3 *h = nullptr;
        EXPECT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &h), SQLITE_OK);
        sqlite3_busy_timeout(h, 5000);
        return h;
    }
    static void run(sqlite3 *h, const char *sql)
    {
        char *err = nullptr;
        EXPECT_EQ(sqlite3_exec(h, sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
        sqlite3_free(err);
    }
    // The rows of Kurs in a copy, and whether SQLite finds the file sound.
    static QString content(const QString &file)
    {
        sqlite3 *h = open(file);
        QString out;
        auto collect = [](void *o, int n, char **v, char **) {
            for (int i = 0; i < n; ++i)
                *static_cast<QString *>(o) +=
                    QString::fromUtf8(v[i] ? v[i] : "NULL") + QLatin1Char(i + 1 < n ? ',' : ';');
            return 0;
        };
        sqlite3_exec(h, "PRAGMA integrity_check; SELECT * FROM Kurs ORDER BY KursNr", collect, &out, nullptr);
        sqlite3_close(h);
        return out;
    }
    QString folder() const { return data::backupFolder(db); }
    QStringList files() const { return QDir(folder()).entryList(QDir::Files, QDir::Name); }

    QString db;
};

TEST_F(BackupTest, FirstStartOfADayCopiesOnceAndKeepsTheLastFourteen)
{
    QDir().mkpath(folder());
    auto touch = [&](const QString &name, int daysOld = 0) {
        QFile f(folder() + QLatin1Char('/') + name);
        ASSERT_TRUE(writeFile(f.fileName(), "alt") && f.open(QIODevice::Append));
        f.setFileTime(QDateTime::currentDateTime().addDays(-daysOld), QFileDevice::FileModificationTime);
    };
    for (int d = 1; d <= 15; ++d)
        touch(data::dailyBackupName(QDate(2026, 11, d)));
    touch(u"orv-vor-umbau.mdb"_s); // the user's own copies stay, also under the name the program proposes
    const QString manual = data::manualBackupName(QDateTime(QDate(2026, 11, 1), QTime(9, 30, 5)));
    EXPECT_EQ(manual, u"orv-2026-11-01-093005.mdb"_s);
    touch(manual);
    touch(u"orv-2026-11-30.mdb.4711-00c0ffee.tmp"_s, 2);
    touch(u"orv-2026-12-06.mdb.4712-0badf00d.tmp"_s); // another workstation copying just now

    const QDate today(2026, 12, 6);
    EXPECT_TRUE(data::makeDailyBackup(db, today));
    EXPECT_EQ(content(folder() + u"/orv-2026-12-06.mdb"_s), u"ok;K001,100.5;K002,250.0;"_s);
    QStringList expected{manual};
    for (int d = 3; d <= 15; ++d)
        expected << data::dailyBackupName(QDate(2026, 11, d));
    expected << u"orv-2026-12-06.mdb"_s << u"orv-2026-12-06.mdb.4712-0badf00d.tmp"_s << u"orv-vor-umbau.mdb"_s;
    EXPECT_EQ(files(), expected);

    // Later starts that day leave the copy as it is, even after changes.
    sqlite3 *h = open(db);
    run(h, "DELETE FROM Kurs");
    sqlite3_close(h);
    EXPECT_FALSE(data::makeDailyBackup(db, today));
    EXPECT_EQ(content(folder() + u"/orv-2026-12-06.mdb"_s), u"ok;K001,100.5;K002,250.0;"_s);
    EXPECT_EQ(files(), expected);
}

TEST_F(BackupTest, CopyDuringAnotherWorkstationsWriteHoldsTheCommittedState)
{
    sqlite3 *writer = open(db);
    run(writer, "BEGIN IMMEDIATE; UPDATE Kurs SET Kosten = 0; INSERT INTO Kurs VALUES('K003', 9)");
    const QString copy = tempPath() + u"/kopie.mdb"_s;
    data::backupDatabase(db, copy);
    run(writer, "COMMIT");
    sqlite3_close(writer);
    EXPECT_EQ(content(copy), u"ok;K001,100.5;K002,250.0;"_s);
    EXPECT_EQ(content(db), u"ok;K001,0.0;K002,0.0;K003,9.0;"_s);
}

TEST_F(BackupTest, FailuresTellWhyAndLeaveNothingHalfWritten)
{
    // A failed copy leaves the file of that name as it was.
    ASSERT_TRUE(writeFile(tempPath() + u"/k.mdb"_s, "alt"));
    const struct {
        const char *name;
        std::function<void()> act;
        const char *reason;
    } cases[] = {
        {"backup folder is a file",
         [&] {
             ASSERT_TRUE(writeFile(folder(), {}));
             data::makeDailyBackup(db, QDate(2026, 12, 6));
         },
         "Der Ordner kann nicht angelegt werden."},
        {"target folder missing", [&] { data::backupDatabase(db, tempPath() + u"/fehlt/kopie.mdb"_s); },
         "Die Datei kann nicht geöffnet oder angelegt werden."},
        {"over the database itself", [&] { data::backupDatabase(db, db); },
         "Die Sicherung kann nicht die Datenbank selbst ersetzen."},
        {"no database", [&] { data::backupDatabase(db + u"x"_s, tempPath() + u"/k.mdb"_s); },
         "Die Datei kann nicht geöffnet oder angelegt werden."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString said = dbErrorText(c.act);
        EXPECT_TRUE(said.section(u' ', 1).startsWith(QString::fromUtf8(c.reason))) << said.toStdString();
        QFile::remove(folder());
        EXPECT_EQ(QDir(tempPath()).entryList({u"*.tmp*"_s}, QDir::Files), QStringList());
        EXPECT_EQ(QDir(QFileInfo(db).absolutePath()).entryList(QDir::Files), QStringList{u"orv.mdb"_s});
        EXPECT_EQ(readFile(tempPath() + u"/k.mdb"_s), "alt");
        EXPECT_EQ(content(db), u"ok;K001,100.5;K002,250.0;"_s);
    }
}

// A copy holds the same personal data as the database: it is as private as
// the database, or as shared, whatever the umask, from its creation on.
TEST_F(BackupTest, CopiesKeepTheModeOfTheDatabase)
{
    ORV_AS_ORDINARY_USER();
    const ScopedUmask restore(022);
    const struct {
        int database; // the database file's mode
        mode_t mask;  // the umask of the program making the copy
        int copy;     // the copy's mode
    } cases[] = {
        {0600, 022, 0600}, // made by ORV at the first start: the user's alone
        {0664, 022, 0664}, // shared with the group of a department's workstations
        {0660, 077, 0660}, {0644, 022, 0644},
        {0440, 022, 0640}, // a read-only database: its owner can still write the copy
    };
    const QDate day(2026, 12, 6);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.database);
        ASSERT_EQ(chmod(QFile::encodeName(db).constData(), mode_t(c.database)), 0);
        umask(c.mask);
        QDir(folder()).removeRecursively();
        const QString manual = tempPath() + u"/kopie.mdb"_s;
        QFile::remove(manual);
        EXPECT_TRUE(data::makeDailyBackup(db, day));
        data::backupDatabase(db, manual);
        EXPECT_EQ(fileMode(folder() + QLatin1Char('/') + data::dailyBackupName(day)), c.copy);
        EXPECT_EQ(fileMode(manual), c.copy);
        EXPECT_EQ(content(manual), u"ok;K001,100.5;K002,250.0;"_s);
    }
    // A copy that replaces an older file takes the database's mode, not the old file's.
    ASSERT_EQ(chmod(QFile::encodeName(db).constData(), 0600), 0);
    const QString old = tempPath() + u"/alt.mdb"_s;
    ASSERT_TRUE(writeFile(old, {}));
    ASSERT_EQ(chmod(QFile::encodeName(old).constData(), 0666), 0);
    umask(0);
    data::backupDatabase(db, old);
    EXPECT_EQ(fileMode(old), 0600);
}

} // namespace
} // namespace orv::test
