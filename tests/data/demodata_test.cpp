#include "data/dberror.h"
#include "data/demodata.h"
#include "data/schema.h"
#include "data/valuelists.h"
#include "support/testenv.h"

#include <QFileInfo>
#include <QSet>

namespace orv::test {
namespace {

using data::schema::padded;
namespace demo = data::demo;

// Every row of each table as its texts, in the order the database returns them.
QStringList dump(const data::ConnectionTarget &t)
{
    data::Connection conn;
    conn.open(t);
    QStringList out;
    for (const QString table : {"Kurs", "Mitarbeiter", "Trainingsplan"})
        for (auto cur = conn.query(u"SELECT * FROM "_s + table); cur->next();)
            for (int c = 0; c < cur->columnCount(); ++c)
                out << (cur->isNull(c) ? u"NULL"_s : QString::fromUtf8(cur->textBytes(c)));
    return out;
}

class DemoDataTest : public DbTest {};

TEST_P(DemoDataTest, DemoCoversEveryListValueAndStatus)
{
    const demo::Summary s = demo::fillDemo(db());
    EXPECT_EQ((std::vector<qint64>{s.employees, s.courses, s.entries, count(u"Mitarbeiter"_s), count(u"Kurs"_s),
                                   count(u"Trainingsplan"_s)}),
              (std::vector<qint64>{42, 25, 300, 42, 25, 300}));
    // Every item of each list occurs, and nothing outside the lists.
    const struct {
        const char *table, *column;
        QStringList items;
        int width;
    } cases[] = {
        {"Kurs", "Rubrik", data::lists::rubrik(), 40},
        {"Kurs", "Art", data::lists::art(), 1},
        {"Mitarbeiter", "Kategorie", data::lists::kategorie(), 3},
        {"Mitarbeiter", "Bereich", data::lists::bereichMitarbeiter(), 30},
        {"Trainingsplan", "Status", {"0", "1", "2", "3"}, 1},
        {"Trainingsplan", "Prioritaet", data::lists::prioritaet(), 1},
        {"Trainingsplan", "Quelle", data::lists::quelle(), 3},
    };
    for (const auto &c : cases) {
        QSet<QString> expected, found; // as stored: filled with blanks to the column width
        for (const QString &i : c.items)
            expected.insert(padded(i, c.width));
        for (auto cur = db().query(u"SELECT DISTINCT %1 FROM %2"_s.arg(c.column, c.table)); cur->next();)
            found.insert(QString::fromUtf8(cur->textBytes(0)));
        EXPECT_EQ(found, expected) << c.column;
    }
    // Links hold: every entry names an existing course and employee.
    EXPECT_EQ(count(u"Trainingsplan"_s, u"KursNr NOT IN (SELECT KursNr FROM Kurs)"_s), 0);
    EXPECT_EQ(count(u"Trainingsplan"_s, u"Name NOT IN (SELECT Name FROM Mitarbeiter)"_s), 0);
    EXPECT_EQ(count(u"Trainingsplan"_s, u"Datum_bis < Datum_von"_s), 0);
}

// A second run, of any kind, leaves the database as it is; a failed run leaves nothing behind.
TEST_P(DemoDataTest, InitNeverOverwritesAndLeavesNothingAfterAFailure)
{
    data::ConnectionTarget fresh = data::ConnectionTarget::sqliteFile(tempPath() + u"/neu.sqlite"_s);
    if (isPostgres()) {
        for (const char *t :
             {"Schemaversion", "Kursreihe", "Aenderung", "Aenderungsstand", "Trainingsplan", "Mitarbeiter", "Kurs"})
            db().exec(u"DROP TABLE "_s + QString::fromLatin1(t));
        db().exec(u"DROP FUNCTION orv_aenderung(), orv_aenderung_aufraeumen()"_s);
        fresh = target();
    }
    const QString anyTable =
        u"SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() AND "
        "lower(table_name) IN ('kurs', 'mitarbeiter', 'kursreihe', 'schemaversion', 'aenderung')"_s;
    auto databaseLeft = [&] { return isPostgres() ? db().exists(anyTable) : QFileInfo::exists(fresh.location); };
    EXPECT_THROW(demo::initDatabase(fresh, demo::Content::Rows, -1), data::DbError);
    EXPECT_FALSE(databaseLeft());

    EXPECT_EQ(demo::initDatabase(fresh, demo::Content::Demo).entries, 300);
    const QStringList made = dump(fresh);
    for (auto content : {demo::Content::Empty, demo::Content::Demo, demo::Content::Rows}) {
        EXPECT_THROW(demo::initDatabase(fresh, content, 50), demo::AlreadyExists);
        EXPECT_EQ(dump(fresh), made);
    }
    // Some tables are enough to refuse; any existing file counts, database or not.
    if (isPostgres()) {
        db().exec(u"DROP TABLE Trainingsplan"_s);
        try {
            demo::initDatabase(target(), demo::Content::Demo);
            ADD_FAILURE() << "no refusal";
        } catch (const demo::AlreadyExists &e) {
            EXPECT_TRUE(e.text().contains(u"Kurs"_s)) << e.text().toStdString();
        }
        EXPECT_EQ(count(u"Kurs"_s), 25);
        return;
    }
    const QString jet = tempPath() + u"/fremd.mdb"_s;
    ASSERT_TRUE(writeFile(jet, "Standard Jet DB"));
    EXPECT_THROW(demo::initDatabase(data::ConnectionTarget::sqliteFile(jet), demo::Content::Demo), demo::AlreadyExists);
    EXPECT_EQ(readFile(jet), QByteArray("Standard Jet DB"));
}

ORV_DB_TEST_SUITE(DemoDataTest);

// The same count gives the same rows, in the same order (bookmarks follow it).
// Past the first 4800 employees the names become double surnames; they must stay unique and fit.
TEST_F(OrvTest, GeneratedRowsAreTheSameForTheSameCountAndScaleWithUniqueNames)
{
    const auto one = data::ConnectionTarget::sqliteFile(tempPath() + u"/eins.sqlite"_s),
               two = data::ConnectionTarget::sqliteFile(tempPath() + u"/zwei.sqlite"_s);
    for (const auto &t : {one, two}) {
        const demo::Summary s = demo::initDatabase(t, demo::Content::Rows, 3000);
        EXPECT_EQ(s.entries, 3000);
        EXPECT_EQ(s.employees, demo::employeesForRows(3000));
        EXPECT_EQ(s.courses, demo::coursesForRows(3000));
    }
    EXPECT_EQ(dump(one), dump(two));

    const qint64 n = 100000;
    ASSERT_GT(demo::employeesForRows(n), 4800);
    const auto big = data::ConnectionTarget::sqliteFile(tempPath() + u"/gross.sqlite"_s);
    const demo::Summary s = demo::initDatabase(big, demo::Content::Rows, n);
    EXPECT_EQ((std::vector<qint64>{s.entries, s.employees, s.courses}), (std::vector<qint64>{n, 5000, 250}));
    data::Connection conn;
    conn.open(big);
    const struct {
        const char *sql, *expected;
    } cases[] = {
        {"SELECT COUNT(*) FROM Trainingsplan", "100000"},
        {"SELECT COUNT(*) > 100 FROM Mitarbeiter WHERE Name LIKE '%-%'", "1"},
        {"SELECT MAX(cnt) FROM (SELECT COUNT(*) AS cnt FROM Trainingsplan GROUP BY Name)", "20"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(firstText(conn, QString::fromUtf8(c.sql)), QString::fromUtf8(c.expected)) << c.sql;
    // Every status is well represented.
    for (int status = 0; status < 4; ++status)
        EXPECT_GT(firstText(conn, u"SELECT COUNT(*) FROM Trainingsplan WHERE Status = '%1'"_s.arg(status)).toInt(),
                  n / 20)
            << status;
}

} // namespace
} // namespace orv::test
