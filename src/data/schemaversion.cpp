#include "data/schemaversion.h"

#include "data/backup.h"
#include "data/dberror.h"

#include <algorithm>
#include <functional>
#include <utility>
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

// Version 2: the server keeps a log of the keys each transaction changed in
// the three tables, so that a window can tell whether anybody else wrote,
// and read just those rows. Triggers keep it, whoever writes: an older ORV,
// psql, a script. They run with the rights of the log's owner, so a user who
// may change the tables needs no rights on the log. A file needs no log:
// SQLite's data_version tells each connection the same.
void addChangeLog(Connection &conn, bool server)
{
    if (!server)
        return;
    conn.exec(QStringLiteral(
        "CREATE TABLE Aenderung (Nr bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, Tabelle text NOT NULL, "
        "Schluessel1 text NOT NULL, Schluessel2 text, Xact xid8 NOT NULL DEFAULT pg_current_xact_id(), Pid integer "
        "NOT NULL DEFAULT pg_backend_pid(), Zeit timestamptz NOT NULL DEFAULT now())"));
    conn.exec(QStringLiteral("CREATE INDEX Aenderung_Xact ON Aenderung (Xact)"));
    // The last transaction that cleared entries away or emptied a table at
    // once: a window whose mark does not see it read before and reads its
    // table anew. A transaction id, not a bound: a transaction of any other
    // program left open meanwhile must not make every mark look lost.
    conn.exec(QStringLiteral("CREATE TABLE Aenderungsstand (Geloescht_bis xid8)"));
    conn.exec(QStringLiteral("INSERT INTO Aenderungsstand VALUES (NULL)"));
    // The trigger's arguments: the table's name in the log and its key columns.
    conn.exec(QStringLiteral(
        "CREATE OR REPLACE FUNCTION orv_aenderung() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER SET "
        "search_path FROM CURRENT AS $$\n"
        "BEGIN\n"
        "  IF TG_OP = 'TRUNCATE' THEN\n"
        "    UPDATE Aenderungsstand SET Geloescht_bis = pg_current_xact_id();\n"
        "  ELSE\n"
        "    EXECUTE format('INSERT INTO Aenderung (Tabelle, Schluessel1, Schluessel2) SELECT DISTINCT %L, %s FROM %s',\n"
        "      TG_ARGV[0], TG_ARGV[1], CASE TG_OP WHEN 'INSERT' THEN 'neu' WHEN 'DELETE' THEN 'alt'\n"
        "      ELSE '(SELECT * FROM neu UNION ALL SELECT * FROM alt) AS beide' END);\n"
        "  END IF;\n"
        "  RETURN NULL;\n"
        "END $$"));
    // Entries older than a day are cleared away by the first program of a
    // run, with the owner's rights: a window that read before them reads its
    // table anew at its next save.
    conn.exec(QStringLiteral(
        "CREATE OR REPLACE FUNCTION orv_aenderung_aufraeumen() RETURNS void LANGUAGE sql SECURITY DEFINER SET "
        "search_path FROM CURRENT AS $$\n"
        "WITH weg AS (DELETE FROM Aenderung WHERE Zeit < now() - interval '1 day' RETURNING 1)\n"
        "UPDATE Aenderungsstand SET Geloescht_bis = pg_current_xact_id() WHERE EXISTS (SELECT 1 FROM weg)\n"
        "$$"));
    // One entry a changed row and statement, written with the statement's
    // rows at once: an import of many rows costs one more insert, not one a row.
    const std::pair<const char *, const char *> keys[] = {{"Kurs", "rtrim(KursNr), NULL"},
                                                          {"Mitarbeiter", "rtrim(Name), NULL"},
                                                          {"Trainingsplan", "rtrim(KursNr), rtrim(Name)"}};
    for (const auto &[table, key] : keys) {
        const QString t = QLatin1String(table),
                      args = QStringLiteral("orv_aenderung('%1', '%2')").arg(t, QLatin1String(key));
        conn.exec(QStringLiteral("CREATE TRIGGER %1_neu AFTER INSERT ON %1 REFERENCING NEW TABLE AS neu FOR EACH "
                                 "STATEMENT EXECUTE FUNCTION %2")
                      .arg(t, args));
        conn.exec(QStringLiteral("CREATE TRIGGER %1_geaendert AFTER UPDATE ON %1 REFERENCING OLD TABLE AS alt NEW "
                                 "TABLE AS neu FOR EACH STATEMENT EXECUTE FUNCTION %2")
                      .arg(t, args));
        conn.exec(QStringLiteral("CREATE TRIGGER %1_geloescht AFTER DELETE ON %1 REFERENCING OLD TABLE AS alt FOR "
                                 "EACH STATEMENT EXECUTE FUNCTION %2")
                      .arg(t, args));
        conn.exec(QStringLiteral("CREATE TRIGGER %1_geleert AFTER TRUNCATE ON %1 FOR EACH STATEMENT EXECUTE "
                                 "FUNCTION %2")
                      .arg(t, args));
    }
}

const std::vector<Change> &changes()
{
    static const std::vector<Change> list{{1, addCourseSeries}, {2, addChangeLog}};
    return list;
}

// The version a program must know at least to work with the database. Every
// change since version 1 only adds what older programs can ignore, so it
// stays 1: an ORV of version 1 refuses only a higher one. How far the
// database really is goes into the column Stand, which that ORV does not read.
constexpr int kOldestReader = 1;

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

bool hasStandColumn(Connection &conn)
{
    if (isServer(conn))
        return conn.exists(QStringLiteral(
            "SELECT 1 FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_class c ON c.oid = a.attrelid WHERE "
            "c.relname = 'schemaversion' AND pg_catalog.pg_table_is_visible(c.oid) AND a.attname = 'stand' AND "
            "NOT a.attisdropped"));
    return conn.exists(QStringLiteral("SELECT 1 FROM pragma_table_info('Schemaversion') WHERE name = 'Stand' "
                                      "COLLATE NOCASE"));
}

// The highest version an older program checks (Version) and how far the
// database is (Stand, where recorded).
struct Recorded {
    int oldestReader = 0;
    int stand = 0;
};

Recorded read(Connection &conn)
{
    if (!hasVersionTable(conn))
        return {};
    auto cur = conn.query(hasStandColumn(conn)
                              ? QStringLiteral("SELECT MAX(Version), MAX(COALESCE(Stand, Version)) FROM Schemaversion")
                              : QStringLiteral("SELECT MAX(Version), MAX(Version) FROM Schemaversion"));
    if (!cur->next() || cur->isNull(0))
        return {};
    return {int(cur->integer(0)), int(cur->integer(1))};
}

// Every change after `found`, and the version recorded.
void applyAfter(Connection &conn, int found)
{
    const bool server = isServer(conn);
    for (const Change &c : changes())
        if (c.version > found)
            c.apply(conn, server);
    if (found == 0) {
        conn.exec(QStringLiteral("CREATE TABLE Schemaversion (Version INTEGER NOT NULL, Stand INTEGER)"));
        conn.exec(QStringLiteral("INSERT INTO Schemaversion (Version, Stand) VALUES (?, ?)"),
                  {kOldestReader, current()});
        return;
    }
    if (!hasStandColumn(conn))
        conn.exec(QStringLiteral("ALTER TABLE Schemaversion ADD COLUMN Stand INTEGER"));
    conn.exec(QStringLiteral("UPDATE Schemaversion SET Version = ?, Stand = ?"), {kOldestReader, current()});
}

// A database only a newer program can work with.
bool tooNew(const Recorded &r) { return r.oldestReader > current(); }

} // namespace

int current() { return changes().back().version; }

int recorded(Connection &conn) { return read(conn).stand; }

Outcome bringUpToDate(Connection &conn, const QDateTime &now)
{
    Outcome o;
    const Recorded first = read(conn);
    o.from = o.to = first.stand;
    if (tooNew(first))
        throw newer(first.oldestReader);
    // A newer program's additions are left to it; this one works without them.
    if (o.from >= current())
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
    const Recorded again = read(conn);
    if (tooNew(again))
        throw newer(again.oldestReader);
    const int found = again.stand;
    if (found < current())
        applyAfter(conn, found);
    tx.commit();
    o.to = std::max(found, current());
    o.byUs = found < current();
    return o;
}

void createLaterTables(Connection &conn) { applyAfter(conn, 0); }

QStringList laterTables()
{
    return {QStringLiteral("Schemaversion"), QStringLiteral("Kursreihe"), QStringLiteral("Aenderung"),
            QStringLiteral("Aenderungsstand")};
}

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
