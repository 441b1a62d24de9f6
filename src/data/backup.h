#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>

namespace orv::data {

// Copies of the SQLite database file, taken through SQLite's online backup
// so that a copy is consistent even while other workstations write. A copy
// is written under a temporary name beside its target and renamed when
// complete: no reader ever finds a half-written copy.

// Copies `databaseFile` to `target`, replacing an older file of that name.
// Throws DbError with a German reason when the copy cannot be made; the
// target is then left as it was.
void backupDatabase(const QString &databaseFile, const QString &target);

// The folder "Sicherung" beside the database file.
QString backupFolder(const QString &databaseFile);
// "orv-YYYY-MM-DD.mdb"
QString dailyBackupName(const QDate &day);
inline constexpr int dailyBackupsKept = 14;
// "orv-YYYY-MM-DD-hhmmss.mdb": a copy the user asks for, which the daily
// copies neither replace nor remove.
QString manualBackupName(const QDateTime &at);
// "orv-YYYY-MM-DD-hhmmss-vor-Import.mdb": the state right before an import.
QString importBackupName(const QDateTime &at);
// Copies the database into the backup folder under importBackupName() and
// returns the copy's path. Throws DbError as backupDatabase.
QString makeImportBackup(const QString &databaseFile, const QDateTime &at);
// "orv-YYYY-MM-DD-hhmmss-vor-Umstellung.mdb": the state before the database
// was brought up to the schema of a newer ORV.
QString upgradeBackupName(const QDateTime &at);
// The same copy under upgradeBackupName().
QString makeUpgradeBackup(const QString &databaseFile, const QDateTime &at);

// The copy of the day: made when that day's file is not in the backup folder
// yet; the oldest daily copies beyond the last `dailyBackupsKept` are removed.
// True when a copy was made now. Throws DbError as backupDatabase.
bool makeDailyBackup(const QString &databaseFile, const QDate &today);

} // namespace orv::data
