#include "data/connection.h"
#include "data/dberror.h"
#include "data/recordset.h"
#include "support/testenv.h"

using namespace orv::data;
using orv::test::dbErrorText;
using orv::test::DbTest;

namespace {

// A connection whose session the server ends (an administrator, a restart):
// its holder goes on at its next action on a new session, and a write that
// was cut off is never sent again on its own.
class PgReconnectTest : public DbTest {
protected:
    static qint64 sessionOf(Connection &c)
    {
        auto cur = c.query(u"SELECT pg_backend_pid()"_s);
        return cur->next() ? cur->integer(0) : 0;
    }
    // Ends the session from another one and waits until it is gone.
    void endSession(qint64 pid)
    {
        auto cur = db().query(u"SELECT pg_terminate_backend(?::int, 10000)"_s, {pid});
        ASSERT_TRUE(cur->next() && cur->boolean(0));
    }
};

TEST_P(PgReconnectTest, TheNextActionAfterTheSessionEndedRunsOnANewOneWithTheSameSettings)
{
    seed();
    Connection c = connect();
    RecordSet rs;
    rs.openTable(c, u"Kurs"_s);
    rs.sort(u"KursNr"_s);
    const qint64 first = sessionOf(c);
    endSession(first);

    // The set reads its table again (the schema comes from the address), and writes.
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 3);
    ASSERT_TRUE(rs.find(Criterion::equals(u"KursNr"_s, u"K2"_s)));
    rs.setField(u"Beschreibung"_s, u"Englisch II"_s);
    rs.update();
    EXPECT_EQ(rows(u"SELECT Beschreibung FROM Kurs WHERE KursNr = 'K2'"_s), QStringList{u"Englisch II"_s});
    EXPECT_NE(sessionOf(c), first);
    auto name = c.query(u"SHOW application_name"_s);
    ASSERT_TRUE(name->next());
    EXPECT_EQ(name->textBytes(0), "ORV");
}

TEST_P(PgReconnectTest, AWriteCutOffInItsTransactionIsToldAndNeverSentAgain)
{
    seed();
    Connection c = connect();
    const QString said = dbErrorText([&] {
        Transaction tx(c);
        c.exec(u"INSERT INTO Kurs (KursNr, Art) VALUES (?, ?)"_s, {u"K9"_s, u"I"_s});
        endSession(sessionOf(c));
        tx.commit();
    });
    EXPECT_TRUE(said.section(u' ', 1).startsWith(u"Die Verbindung zum Datenbankserver ist unterbrochen; ORV "
                                                 "verbindet sich bei der nächsten Aktion neu. ("_s))
        << said.toStdString();
    EXPECT_EQ(count(u"Kurs"_s, u"KursNr = 'K9'"_s), 0);
    c.exec(u"INSERT INTO Kurs (KursNr, Art) VALUES (?, ?)"_s, {u"K8"_s, u"I"_s});
    EXPECT_EQ(count(u"Kurs"_s, u"KursNr IN ('K8', 'K9')"_s), 1);
}

ORV_POSTGRES_TEST_SUITE(PgReconnectTest);

} // namespace
