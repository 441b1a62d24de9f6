// An older database brought up to date: once, all or nothing, after a
// backup, by one of two programs starting at once; a newer one left alone.
#include "data/dberror.h"
#include "data/recordset.h"
#include "data/schemaversion.h"
#include "services/connectionrecipe.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <thread>

using namespace orv::data;

namespace orv::test {
namespace {

class SchemaVersionTest : public DbTest {
protected:
    // The database as the first ORV made it: the three tables alone.
    void setUpOnDatabase() override
    {
        seed();
        if (!isPostgres())
            db().exec(u"DROP TRIGGER Kursreihe_mit_Kurs"_s);
        db().exec(u"DROP TABLE Kursreihe"_s);
        db().exec(u"DROP TABLE Schemaversion"_s);
        dropChangeLog();
    }
    void dropChangeLog()
    {
        if (isPostgres()) {
            db().exec(u"DROP TABLE Aenderung, Aenderungsstand"_s);
            db().exec(u"DROP FUNCTION orv_aenderung(), orv_aenderung_aufraeumen() CASCADE"_s); // with the triggers
        }
    }
    bool hasTable(const QString &name)
    {
        return dbErrorText([&] { db().query(u"SELECT * FROM "_s + name + u" WHERE 1 = 0"_s)->next(); }).isEmpty();
    }
    QStringList backups() const
    {
        if (isPostgres())
            return {};
        return QDir(QFileInfo(target().location).dir().filePath(u"Sicherung"_s))
            .entryList({u"*-vor-Umstellung*.mdb"_s}, QDir::Files);
    }
};

TEST_P(SchemaVersionTest, AnOlderDatabaseIsBroughtUpToDateOnceAfterABackupAndStillServesAnOlderProgram)
{
    ASSERT_EQ(versions::recorded(db()), 0);
    const versions::Outcome o = versions::bringUpToDate(db(), QDateTime(QDate(2026, 12, 8), QTime(9, 30, 5)));
    EXPECT_EQ(o.from, 0);
    EXPECT_EQ(o.to, versions::current());
    EXPECT_TRUE(o.byUs);
    EXPECT_EQ(versions::recorded(db()), versions::current());
    EXPECT_TRUE(hasTable(u"Kursreihe"_s));
    if (!isPostgres()) {
        // The copy is the database as it was before.
        EXPECT_EQ(backups(), QStringList{u"orv-2026-12-08-093005-vor-Umstellung.mdb"_s});
        EXPECT_EQ(QFileInfo(o.backupFile).fileName(), backups().value(0));
        Connection before;
        before.open(ConnectionTarget::sqliteFile(o.backupFile));
        EXPECT_EQ(versions::recorded(before), 0);
        EXPECT_EQ(firstText(before, u"SELECT COUNT(*) FROM Trainingsplan"_s), u"3"_s);
    }
    EXPECT_EQ(versions::outcomeText(o).left(86),
              u"Die Datenbank wurde von der Schemaversion 0 auf die Schemaversion 2 dieser ORV-Version"_s);
    // An ORV of version 1 reads the highest Version and works on.
    EXPECT_EQ(firstText(db(), u"SELECT MAX(Version) FROM Schemaversion"_s), u"1"_s);
    EXPECT_FALSE(versions::bringUpToDate(db()).changed());
    EXPECT_EQ(backups().size(), isPostgres() ? 0 : 1);

    // What an older ORV does goes on as before: its rows, its writes, and a
    // course it deletes takes its series entry along.
    db().exec(u"INSERT INTO Kursreihe (KursNr, Reihe, Gueltigkeit) VALUES ('K1', 'UW', 12), ('K3', 'UW', NULL)"_s);
    RecordSet kurs;
    kurs.openTable(db(), u"Kurs"_s);
    EXPECT_EQ(kurs.recordCount(), 3);
    db().exec(u"DELETE FROM Trainingsplan WHERE KursNr = 'K1'"_s);
    db().exec(u"DELETE FROM Kurs WHERE KursNr = 'K1'"_s);
    EXPECT_EQ(rows(u"SELECT KursNr, Reihe FROM Kursreihe"_s), QStringList{u"K3/UW"_s});
}

// A database as an ORV of version 1 left it gets the server's change log;
// the version such an ORV checks stays 1, so it works on with the database.
TEST_P(SchemaVersionTest, AVersionOneDatabaseGetsTheChangeLogAndStaysOpenToVersionOne)
{
    versions::bringUpToDate(db());
    dropChangeLog();
    db().exec(u"DROP TABLE Schemaversion"_s);
    db().exec(u"CREATE TABLE Schemaversion (Version INTEGER NOT NULL)"_s);
    db().exec(u"INSERT INTO Schemaversion (Version) VALUES (1)"_s);
    ASSERT_EQ(versions::recorded(db()), 1);
    const versions::Outcome o = versions::bringUpToDate(db());
    EXPECT_EQ(std::pair(o.from, o.to), std::pair(1, 2));
    EXPECT_EQ(rows(u"SELECT Version, Stand FROM Schemaversion"_s), QStringList{u"1/2"_s});
    EXPECT_EQ(hasTable(u"Aenderung"_s), isPostgres());
    if (isPostgres()) {
        // Kept by the server for any program's write.
        db().exec(u"UPDATE Kurs SET Referent = 'X' WHERE KursNr = 'K2'"_s);
        EXPECT_EQ(rows(u"SELECT Tabelle, Schluessel1 FROM Aenderung"_s), QStringList{u"Kurs/K2"_s});
    }
}

// A change that fails half-way (here: a name the new index needs is taken)
// leaves the database at its version, without a table of the change; once
// the cause is gone the same call makes it.
TEST_P(SchemaVersionTest, AChangeInterruptedHalfWayLeavesNothingOfIt)
{
    db().exec(u"CREATE TABLE Kursreihe_Reihe (x INTEGER)"_s);
    EXPECT_NE(dbErrorText([&] { versions::bringUpToDate(db()); }), QString());
    EXPECT_EQ(versions::recorded(db()), 0);
    EXPECT_FALSE(hasTable(u"Kursreihe"_s));
    EXPECT_FALSE(hasTable(u"Schemaversion"_s));
    db().exec(u"DROP TABLE Kursreihe_Reihe"_s);
    EXPECT_TRUE(versions::bringUpToDate(db()).byUs);
    EXPECT_EQ(versions::recorded(db()), versions::current());
}

// Two workstations start at the same moment: one makes the change, the other
// waits for it and finds it made.
TEST_P(SchemaVersionTest, TwoProgramsStartingAtOnceChangeTheDatabaseOnce)
{
    std::atomic<int> byUs{0}, failures{0}, ready{0};
    const auto start = [&] {
        try {
            Connection conn = connect();
            ++ready;
            while (ready < 2)
                std::this_thread::yield();
            const versions::Outcome o = versions::bringUpToDate(conn);
            byUs += o.byUs ? 1 : 0;
            if (o.to != versions::current())
                ++failures;
        } catch (const DbError &e) {
            ADD_FAILURE() << e.description().toStdString();
            ++failures;
        }
    };
    std::thread a(start), b(start);
    a.join();
    b.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(byUs, 1);
    EXPECT_EQ(firstText(db(), u"SELECT COUNT(*) FROM Schemaversion"_s), u"1"_s);
}

// A database of a newer ORV is refused, through the connection recipe too,
// and nothing is written to it: no backup, no change of the version.
TEST_P(SchemaVersionTest, ANewerDatabaseIsRefusedAndLeftAsItIs)
{
    versions::bringUpToDate(db());
    const QStringList before = backups();
    db().exec(u"UPDATE Schemaversion SET Version = 99"_s);
    const QString refusal = u"3343 Die Datenbank hat die Schemaversion 99 und stammt von einer neueren ORV-Version; "
                            "diese ORV-Version kennt nur die Schemaversion 2. Bitte installieren Sie die neuere "
                            "ORV-Version. Die Datenbank wurde nicht verändert."_s;
    EXPECT_EQ(dbErrorText([&] { versions::bringUpToDate(db()); }), refusal);
    prompter.expectMessage(u"OpenConnectionError: "_s + refusal, u"ORV"_s, ui::Icon::None);
    Connection conn;
    EXPECT_FALSE(services::openConnection(conn));
    EXPECT_FALSE(conn.isOpen());
    EXPECT_EQ(firstText(db(), u"SELECT Version FROM Schemaversion"_s), u"99"_s);
    EXPECT_EQ(backups(), before);
    // Only additions of a newer ORV, which this one can do without: it works on.
    db().exec(u"UPDATE Schemaversion SET Version = 1, Stand = 99"_s);
    EXPECT_FALSE(versions::bringUpToDate(db()).changed());
    EXPECT_EQ(versions::recorded(db()), 99);
}

// The program's own connections bring the database up to date and say so once.
TEST_P(SchemaVersionTest, TheFirstConnectionOfTheProgramTellsTheUser)
{
    prompter.expectMessageMatching(u"^Die Datenbank wurde von der Schemaversion 0 auf die Schemaversion 2 "_s, u"ORV"_s,
                                   ui::Icon::Information);
    Connection first, second;
    EXPECT_TRUE(services::openConnection(first));
    EXPECT_TRUE(services::openConnection(second));
    EXPECT_EQ(versions::recorded(second), versions::current());
}

ORV_DB_TEST_SUITE(SchemaVersionTest);

} // namespace
} // namespace orv::test
