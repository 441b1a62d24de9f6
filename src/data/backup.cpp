#include "data/backup.h"

#include "data/dberror.h"
#include "data/sqlitemessage.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>

namespace orv::data {

namespace {

constexpr int kBusyTimeoutMs = 10000;
const QString kFolder = QStringLiteral("Sicherung");

[[noreturn]] void fail(int rc, const QString &file)
{
    throw DbError(ErrGeneric, sqliteMessage(rc, nullptr) + QStringLiteral(" (") + QDir::toNativeSeparators(file)
                                  + QLatin1Char(')'));
}

// Closes a handle on every way out.
struct Db {
    sqlite3 *db = nullptr;
    ~Db() { sqlite3_close_v2(db); }
};

// The copy is made with the database's mode from the start, never readable
// by more users for a moment: a database of the user's alone stays private,
// a database shared with a group stays shared. Its owner always reads and
// writes it. SQLite gives the copy's journal the same mode.
void createLike(const QString &databaseFile, const QString &temp, const QString &target)
{
    const QFileDevice::Permissions userBits = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    const QFileDevice::Permissions mode =
        (QFile::permissions(databaseFile) & ~userBits) | QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile file(temp);
    // The umask may take bits away at the creation; the mode is then set as it is.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, mode) || !file.setPermissions(mode))
        fail(SQLITE_CANTOPEN, target);
}

// Failures name the target the user knows, not the temporary name.
void copyInto(const QString &databaseFile, const QString &temp, const QString &target)
{
    Db src, dst;
    // The source is only read; it must exist (no empty database is made up).
    int rc = sqlite3_open_v2(QFile::encodeName(databaseFile).constData(), &src.db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, databaseFile);
    sqlite3_busy_timeout(src.db, kBusyTimeoutMs);
    createLike(databaseFile, temp, target);
    rc = sqlite3_open_v2(QFile::encodeName(temp).constData(), &dst.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                         nullptr);
    if (rc != SQLITE_OK)
        fail(rc, target);
    sqlite3_backup *b = sqlite3_backup_init(dst.db, "main", src.db, "main");
    if (!b)
        fail(sqlite3_extended_errcode(dst.db), target);
    // All pages in one step under one read lock: the copy is the state of one
    // moment. A writer that is committing just now makes the step wait or retry.
    for (int attempt = 0;; ++attempt) {
        rc = sqlite3_backup_step(b, -1);
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || attempt >= 50)
            break;
        QThread::msleep(200);
    }
    const int finish = sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE)
        fail(rc == SQLITE_OK ? finish : rc, rc == SQLITE_FULL || rc == SQLITE_IOERR ? target : databaseFile);
    if (finish != SQLITE_OK)
        fail(finish, target);
    // SQLite has synced the copy to the disk when the backup finished.
}

} // namespace

void backupDatabase(const QString &databaseFile, const QString &target)
{
    const QFileInfo info(target);
    // Renaming a copy over the database itself would pull the file away from
    // every workstation that has it open.
    if (info.exists() && info.canonicalFilePath() == QFileInfo(databaseFile).canonicalFilePath())
        throw DbError(ErrGeneric, QStringLiteral("Die Sicherung kann nicht die Datenbank selbst ersetzen. (")
                                      + QDir::toNativeSeparators(target) + QLatin1Char(')'));
    // A name of its own per process and attempt: two workstations copying at
    // once never write into one file.
    const QString temp = info.absolutePath() + QLatin1Char('/') + info.fileName()
                         + QStringLiteral(".%1-%2.tmp")
                               .arg(QCoreApplication::applicationPid())
                               .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    try {
        copyInto(databaseFile, temp, target);
    } catch (...) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
        throw;
    }
    // rename() replaces the target in one step.
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        const int err = errno;
        QFile::remove(temp);
        throw DbError(ErrGeneric, QStringLiteral("Die Sicherung kann nicht umbenannt werden: ")
                                      + QString::fromLocal8Bit(std::strerror(err)) + QStringLiteral(" (")
                                      + QDir::toNativeSeparators(target) + QLatin1Char(')'));
    }
}

QString backupFolder(const QString &databaseFile)
{
    return QFileInfo(databaseFile).absolutePath() + QLatin1Char('/') + kFolder;
}

QString dailyBackupName(const QDate &day)
{
    return QStringLiteral("orv-") + day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".mdb");
}

QString manualBackupName(const QDateTime &at)
{
    return QStringLiteral("orv-") + at.toString(QStringLiteral("yyyy-MM-dd-hhmmss")) + QStringLiteral(".mdb");
}

QString importBackupName(const QDateTime &at)
{
    return QStringLiteral("orv-") + at.toString(QStringLiteral("yyyy-MM-dd-hhmmss"))
           + QStringLiteral("-vor-Import.mdb");
}

namespace {

// A copy under `name` in the backup folder; two within one second each keep
// the state before them.
QString makeNamedBackup(const QString &databaseFile, const QString &name)
{
    const QString folder = backupFolder(databaseFile);
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        throw DbError(ErrGeneric, QStringLiteral("Der Ordner kann nicht angelegt werden. (")
                                      + QDir::toNativeSeparators(folder) + QLatin1Char(')'));
    QString target = QDir(folder).filePath(name);
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = QDir(folder).filePath(name.chopped(4) + QStringLiteral("-%1.mdb").arg(n));
    backupDatabase(databaseFile, target);
    return target;
}

} // namespace

QString makeImportBackup(const QString &databaseFile, const QDateTime &at)
{
    return makeNamedBackup(databaseFile, importBackupName(at));
}

QString upgradeBackupName(const QDateTime &at)
{
    return QStringLiteral("orv-") + at.toString(QStringLiteral("yyyy-MM-dd-hhmmss"))
           + QStringLiteral("-vor-Umstellung.mdb");
}

QString makeUpgradeBackup(const QString &databaseFile, const QDateTime &at)
{
    return makeNamedBackup(databaseFile, upgradeBackupName(at));
}

bool makeDailyBackup(const QString &databaseFile, const QDate &today)
{
    const QString folder = backupFolder(databaseFile);
    QDir dir(folder);
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        throw DbError(ErrGeneric, QStringLiteral("Der Ordner kann nicht angelegt werden. (")
                                      + QDir::toNativeSeparators(folder) + QLatin1Char(')'));
    const QString target = dir.filePath(dailyBackupName(today));
    if (QFileInfo::exists(target))
        return false;
    backupDatabase(databaseFile, target);

    // The names sort by date; only our own daily copies are counted and removed.
    static const QRegularExpression daily(QStringLiteral("^orv-\\d{4}-\\d{2}-\\d{2}\\.mdb$"));
    QStringList copies = dir.entryList({QStringLiteral("orv-*.mdb")}, QDir::Files, QDir::Name);
    copies.removeIf([](const QString &n) { return !daily.match(n).hasMatch(); });
    for (qsizetype i = 0; i + dailyBackupsKept < copies.size(); ++i)
        dir.remove(copies[i]);
    // Left-overs of a workstation that stopped in the middle of a copy: the
    // copy and the journal SQLite keeps beside it while it writes.
    const QDateTime stale = QDateTime::currentDateTime().addDays(-1);
    for (const QFileInfo &t :
         dir.entryInfoList({QStringLiteral("orv-*.mdb.*.tmp"), QStringLiteral("orv-*.mdb.*.tmp-journal")}, QDir::Files))
        if (t.lastModified() < stale)
            dir.remove(t.fileName());
    return true;
}

} // namespace orv::data
