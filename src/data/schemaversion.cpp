#include "data/schemaversion.h"

#include "data/backup.h"
#include "data/dberror.h"

#include <functional>
#include <vector>

namespace orv::data::versions {
namespace {

// One version's change, in the transaction of the change.
struct Change {
    int version;
    std::function<void(Connection &conn, bool server)> apply;
};

// Version 1: a course's series (Reihe) and the months its training stays valid.
void addCourseSeries(Connection &conn, bool server)
{
    if (server) {
        // The series entry goes with its course, whoever deletes the course (an older ORV too).
        conn.exec(QStringLiteral("CREATE TABLE Kursreihe (KursNr char(6) NOT NULL PRIMARY KEY REFERENCES Kurs (KursNr) "
                                 "ON DELETE CASCADE, Reihe char(10) NOT NULL, Gueltigkeit integer CHECK (Gueltigkeit "
                                 "IS NULL OR Gueltigkeit BETWEEN 1 AND 999))"));
    } else {
        conn.exec(QStringLiteral(
            "CREATE TABLE Kursreihe (KursNr CHAR(6) COLLATE RTRIM NOT NULL CHECK (length(KursNr) <= 6), Reihe "
            "CHAR(10) COLLATE RTRIM NOT NULL CHECK (length(Reihe) <= 10), Gueltigkeit INTEGER CHECK (Gueltigkeit IS "
            "NULL OR (typeof(Gueltigkeit) = 'integer' AND Gueltigkeit BETWEEN 1 AND 999)), PRIMARY KEY (KursNr))"));
        // A file has no cascade unless every program asks for it: a trigger works for all of them.
        conn.exec(QStringLiteral("CREATE TRIGGER Kursreihe_mit_Kurs AFTER DELETE ON Kurs BEGIN DELETE FROM Kursreihe "
                                 "WHERE KursNr = old.KursNr; END"));
    }
    conn.exec(QStringLiteral("CREATE INDEX Kursreihe_Reihe ON Kursreihe (Reihe)"));
}

const std::vector<Change> &changes()
{
    static const std::vector<Change> list{{1, addCourseSeries}};
    return list;
}

bool isServer(Connection &conn) { return conn.backend().kind() == BackendKind::Postgres; }

bool hasVersionTable(Connection &conn)
{
    // The catalog read as a table, not through the server's name cache: a
    // program that waited for another's change sees the table just made.
    if (isServer(conn))
        return conn.exists(QStringLiteral("SELECT 1 FROM pg_catalog.pg_class c WHERE c.relname = 'schemaversion' AND "
                                          "c.relkind = 'r' AND pg_catalog.pg_table_is_visible(c.oid)"));
    return conn.exists(
        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Schemaversion' COLLATE NOCASE"));
}

DbError newer(int found)
{
    return DbError(ErrNewerDatabase,
                   QStringLiteral("Die Datenbank hat die Schemaversion %1 und stammt von einer neueren ORV-Version; "
                                  "diese ORV-Version kennt nur die Schemaversion %2. Bitte installieren Sie die "
                                  "neuere ORV-Version. Die Datenbank wurde nicht verändert.")
                       .arg(found)
                       .arg(current()));
}

// Every change after `found`, and the version recorded.
void applyAfter(Connection &conn, int found)
{
    const bool server = isServer(conn);
    for (const Change &c : changes())
        if (c.version > found)
            c.apply(conn, server);
    if (found == 0) {
        conn.exec(QStringLiteral("CREATE TABLE Schemaversion (Version INTEGER NOT NULL)"));
        conn.exec(QStringLiteral("INSERT INTO Schemaversion (Version) VALUES (?)"), {current()});
    } else {
        conn.exec(QStringLiteral("UPDATE Schemaversion SET Version = ?"), {current()});
    }
}

} // namespace

int current() { return changes().back().version; }

int recorded(Connection &conn)
{
    if (!hasVersionTable(conn))
        return 0;
    auto cur = conn.query(QStringLiteral("SELECT MAX(Version) FROM Schemaversion"));
    return cur->next() && !cur->isNull(0) ? int(cur->integer(0)) : 0;
}

Outcome bringUpToDate(Connection &conn, const QDateTime &now)
{
    Outcome o;
    o.from = o.to = recorded(conn);
    if (o.from > current())
        throw newer(o.from);
    if (o.from == current())
        return o;
    if (!isServer(conn)) {
        try {
            o.backupFile = makeUpgradeBackup(conn.target().location, now);
        } catch (const DbError &e) {
            throw DbError(e.number(), QStringLiteral("Vor der Umstellung der Datenbank auf die Schemaversion %1 kann "
                                                     "keine Sicherung angelegt werden; die Datenbank bleibt, wie sie "
                                                     "ist. ")
                                              .arg(current())
                                          + e.description());
        }
    }
    Transaction tx(conn);
    // A second program starting at the same moment waits here (on SQLite
    // for the write lock the transaction takes) and then finds it done.
    if (isServer(conn))
        conn.query(QStringLiteral("SELECT pg_advisory_xact_lock(4711001)"))->next();
    const int found = recorded(conn);
    if (found > current())
        throw newer(found);
    if (found < current())
        applyAfter(conn, found);
    tx.commit();
    o.to = current();
    o.byUs = found < current();
    return o;
}

void createLaterTables(Connection &conn) { applyAfter(conn, 0); }

QStringList laterTables() { return {QStringLiteral("Schemaversion"), QStringLiteral("Kursreihe")}; }

QString outcomeText(const Outcome &o)
{
    if (!o.byUs)
        return QStringLiteral("Die Datenbank wurde soeben an einem anderen Arbeitsplatz auf die Schemaversion %1 "
                              "dieser ORV-Version gebracht.")
            .arg(o.to);
    QString text = QStringLiteral("Die Datenbank wurde von der Schemaversion %1 auf die Schemaversion %2 dieser "
                                  "ORV-Version gebracht. Ältere ORV-Versionen können weiter mit ihr arbeiten.")
                       .arg(o.from)
                       .arg(o.to);
    if (!o.backupFile.isEmpty())
        text += QStringLiteral(" Der Stand davor ist gesichert in: ") + o.backupFile;
    return text;
}

} // namespace orv::data::versions
