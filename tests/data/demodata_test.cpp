#include "data/dberror.h"
#include "data/demodata.h"
#include "data/schema.h"
#include "data/valuelists.h"
#include "support/testenv.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace orv::test {
namespace {

using data::schema::padded;
namespace demo = data::demo;

// Every row of a table as one line of typed values, in the order the database returns them.
std::vector<QString> dump(data::Connection &conn, const QString &table)
{
    std::vector<QString> rows;
    auto cur = conn.query(u"SELECT * FROM "_s + table);
    while (cur->next()) {
        QStringList values;
        for (int c = 0; c < cur->columnCount(); ++c) {
            if (cur->isNull(c)) {
                values << u"NULL"_s;
                continue;
            }
            switch (cur->column(c).type) {
            case data::ColType::Text:
                values << QLatin1Char('[') + QString::fromUtf8(cur->textBytes(c)) + QLatin1Char(']');
                break;
            case data::ColType::Date: values << QDate::fromJulianDay(cur->julianDay(c)).toString(Qt::ISODate); break;
            case data::ColType::Bool: values << (cur->boolean(c) ? u"ja"_s : u"nein"_s); break;
            case data::ColType::Integer: values << QString::number(cur->integer(c)); break;
            case data::ColType::Single:
            case data::ColType::Double: values << QString::number(cur->real(c), 'f', 2); break;
            }
        }
        rows.push_back(values.join(QLatin1Char('|')));
    }
    return rows;
}

std::vector<QString> sorted(std::vector<QString> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

QSet<QString> distinctValues(data::Connection &conn, const QString &table, const QString &column)
{
    QSet<QString> values;
    auto cur = conn.query(u"SELECT DISTINCT %1 FROM %2"_s.arg(column, table));
    while (cur->next())
        values.insert(cur->isNull(0) ? u"NULL"_s : QString::fromUtf8(cur->textBytes(0)));
    return values;
}

QSet<QString> paddedSet(const QStringList &items, int width)
{
    QSet<QString> s;
    for (const QString &i : items)
        s.insert(padded(i, width));
    return s;
}

class DemoDataTest : public DbTest {
protected:
    // A place where no database exists yet: a new file, or the test schema emptied.
    data::ConnectionTarget freshTarget()
    {
        if (!isPostgres())
            return data::ConnectionTarget::sqliteFile(tempPath() + u"/neu.sqlite"_s);
        for (const char *t : {"Trainingsplan", "Mitarbeiter", "Kurs"})
            db().exec(u"DROP TABLE "_s + QString::fromLatin1(t));
        return target();
    }
    bool databaseLeft(const data::ConnectionTarget &t)
    {
        if (t.kind == data::BackendKind::Sqlite)
            return QFileInfo::exists(t.location);
        return db().exists(QStringLiteral("SELECT 1 FROM information_schema.tables "
                                          "WHERE table_schema = current_schema() AND lower(table_name) IN "
                                          "('kurs', 'mitarbeiter', 'trainingsplan')"));
    }
};

TEST_P(DemoDataTest, DemoCoversEveryListValueAndStatus)
{
    const demo::Summary s = demo::fillDemo(db());
    EXPECT_EQ(s.employees, 42);
    EXPECT_EQ(s.courses, 25);
    EXPECT_EQ(s.entries, 300);
    EXPECT_EQ(count(u"Mitarbeiter"_s), 42);
    EXPECT_EQ(count(u"Kurs"_s), 25);
    EXPECT_EQ(count(u"Trainingsplan"_s), 300);

    // Every item of each list occurs, and nothing outside the lists.
    struct Case {
        const char *table, *column;
        QStringList items;
        int width;
    };
    const Case cases[] = {
        {"Kurs", "Rubrik", data::lists::rubrik(), 40},
        {"Kurs", "Art", data::lists::art(), 1},
        {"Mitarbeiter", "Kategorie", data::lists::kategorie(), 3},
        {"Mitarbeiter", "Bereich", data::lists::bereichMitarbeiter(), 30},
        {"Trainingsplan", "Status", {"0", "1", "2", "3"}, 1},
        {"Trainingsplan", "Prioritaet", data::lists::prioritaet(), 1},
        {"Trainingsplan", "Quelle", data::lists::quelle(), 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(distinctValues(db(), QString::fromLatin1(c.table), QString::fromLatin1(c.column)),
                  paddedSet(c.items, c.width));
    }

    // Links hold: every entry names an existing course and employee.
    EXPECT_EQ(count(u"Trainingsplan"_s, u"KursNr NOT IN (SELECT KursNr FROM Kurs)"_s), 0);
    EXPECT_EQ(count(u"Trainingsplan"_s, u"Name NOT IN (SELECT Name FROM Mitarbeiter)"_s), 0);
    EXPECT_EQ(count(u"Trainingsplan"_s, u"Datum_bis < Datum_von"_s), 0);
}

TEST_P(DemoDataTest, RowsAreTheSameEverywhereForTheSameCount)
{
    const qint64 n = 3000;
    const demo::Summary s = demo::fillRows(db(), n);
    EXPECT_EQ(s.entries, n);
    EXPECT_EQ(s.employees, demo::employeesForRows(n));
    EXPECT_EQ(s.courses, demo::coursesForRows(n));
    EXPECT_EQ(count(u"Trainingsplan"_s), n);

    // A second database of the same size, made by the tool's own path.
    const auto other = data::ConnectionTarget::sqliteFile(tempPath() + u"/zweite.sqlite"_s);
    demo::initDatabase(other, demo::Content::Rows, n);
    data::Connection second;
    second.open(other);
    for (const char *table : {"Kurs", "Mitarbeiter", "Trainingsplan"}) {
        SCOPED_TRACE(table);
        const QString t = QString::fromLatin1(table);
        const auto mine = dump(db(), t);
        const auto theirs = dump(second, t);
        ASSERT_EQ(mine.size(), theirs.size());
        if (isPostgres()) {
            EXPECT_EQ(sorted(mine), sorted(theirs));
        } else
            EXPECT_EQ(mine, theirs); // the insertion order too: bookmarks follow it
    }
    for (int status = 0; status < 4; ++status)
        EXPECT_GT(count(u"Trainingsplan"_s, u"Status = ?"_s, {QString::number(status)}), n / 20) << status;
}

TEST_P(DemoDataTest, InitCreatesTheDatabaseAndRefusesToOverwriteIt)
{
    const data::ConnectionTarget fresh = freshTarget();
    const demo::Summary s = demo::initDatabase(fresh, demo::Content::Demo);
    EXPECT_EQ(s.entries, 300);
    {
        data::Connection conn;
        conn.open(fresh);
        EXPECT_TRUE(data::schema::exists(conn));
        EXPECT_EQ(dump(conn, u"Trainingsplan"_s).size(), 300u);
    }
    // A second run, of any kind, leaves the database as it is.
    for (auto content : {demo::Content::Empty, demo::Content::Demo, demo::Content::Rows}) {
        EXPECT_THROW(demo::initDatabase(fresh, content, 50), demo::AlreadyExists);
        data::Connection conn;
        conn.open(fresh);
        EXPECT_EQ(dump(conn, u"Trainingsplan"_s).size(), 300u);
        EXPECT_EQ(dump(conn, u"Kurs"_s).size(), 25u);
    }
}

TEST_P(DemoDataTest, InitRefusesWhenOnlySomeTablesExist)
{
    if (!isPostgres()) {
        // Any existing file counts, database or not, and stays untouched.
        const QString path = tempPath() + u"/fremd.mdb"_s;
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Standard Jet DB");
        f.close();
        EXPECT_THROW(demo::initDatabase(data::ConnectionTarget::sqliteFile(path), demo::Content::Demo),
                     demo::AlreadyExists);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("Standard Jet DB"));
        return;
    }
    addKurs(u"K1"_s, data::lists::rubrik().at(0), u"Bleibt"_s, u"A"_s);
    db().exec(u"DROP TABLE Trainingsplan"_s);
    try {
        demo::initDatabase(target(), demo::Content::Demo);
        ADD_FAILURE() << "no refusal";
    } catch (const demo::AlreadyExists &e) {
        EXPECT_TRUE(e.text().contains(u"Kurs"_s)) << e.text().toStdString();
    }
    EXPECT_EQ(count(u"Kurs"_s), 1);
    EXPECT_EQ(count(u"Mitarbeiter"_s), 0);
}

TEST_P(DemoDataTest, FailedInitLeavesNothingBehind)
{
    const data::ConnectionTarget fresh = freshTarget();
    EXPECT_THROW(demo::initDatabase(fresh, demo::Content::Rows, -1), data::DbError);
    EXPECT_FALSE(databaseLeft(fresh));
    // The place is still usable.
    EXPECT_EQ(demo::initDatabase(fresh, demo::Content::Rows, 40).entries, 40);
    EXPECT_TRUE(databaseLeft(fresh));
}

ORV_DB_TEST_SUITE(DemoDataTest);

// Past the first 4800 employees the names become double surnames; they must stay unique and fit.
TEST_F(OrvTest, GeneratedRowsScaleWithUniqueNamesAndPairs)
{
    const qint64 n = 100000;
    ASSERT_GT(demo::employeesForRows(n), 4800);
    const auto t = data::ConnectionTarget::sqliteFile(tempPath() + u"/gross.sqlite"_s);
    const demo::Summary s = demo::initDatabase(t, demo::Content::Rows, n);
    EXPECT_EQ(s.entries, n);
    EXPECT_EQ(s.employees, 5000);
    EXPECT_EQ(s.courses, 250);
    data::Connection conn;
    conn.open(t);
    auto one = [&](const QString &sql) {
        auto cur = conn.query(sql);
        return cur->next() ? cur->integer(0) : -1;
    };
    EXPECT_EQ(one(u"SELECT COUNT(*) FROM Trainingsplan"_s), n);
    EXPECT_EQ(one(u"SELECT COUNT(DISTINCT Name) FROM Mitarbeiter"_s), 5000);
    EXPECT_EQ(one(u"SELECT COUNT(*) FROM (SELECT DISTINCT KursNr, Name FROM Trainingsplan)"_s), n);
    EXPECT_GT(one(u"SELECT COUNT(*) FROM Mitarbeiter WHERE Name LIKE '%-%'"_s), 100);
    EXPECT_EQ(one(u"SELECT MAX(cnt) FROM (SELECT COUNT(*) AS cnt FROM Trainingsplan GROUP BY Name)"_s), 20);
}

} // namespace
} // namespace orv::test
