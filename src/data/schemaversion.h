#pragma once
#include "data/connection.h"

#include <QDateTime>
#include <QString>

// The schema's versions: the three tables of the first ORV are version 0;
// each later version adds tables of its own, never a column to those three,
// so that an older ORV still works on a database brought up to date. The
// database records its version in the table Schemaversion.
namespace orv::data::versions {

// The version this program writes and reads.
int current();

// The version the database records; 0 when it records none (the three tables alone).
int recorded(Connection &conn);

struct Outcome {
    int from = 0;       // the version found
    int to = 0;         // the version it has now
    bool byUs = false;  // this program made the change (not another workstation meanwhile)
    QString backupFile; // SQLite: the copy taken right before the change
    bool changed() const { return from != to; }
};

// Brings an older database up to the current version: on SQLite after a copy
// into the backup folder, then every change in one transaction, so that the
// database has all of them or none. Two programs starting at once change it
// once: the second waits and finds it done. A database of a newer version is
// refused (DbError ErrNewerDatabase) and nothing is written to it.
Outcome bringUpToDate(Connection &conn, const QDateTime &now = QDateTime::currentDateTime());

// The tables of every version after 0, in the current transaction of a new database.
void createLaterTables(Connection &conn);
// Their names, those that refer to others first (the order to drop them in).
QStringList laterTables();

// "Die Datenbank wurde auf den Stand 1 dieser ORV-Version gebracht. …": what the user is told.
QString outcomeText(const Outcome &o);

} // namespace orv::data::versions
