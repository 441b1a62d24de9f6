#include "data/collation.h"
#include "data/connection.h"
#include "data/fastpaths.h"
#include "data/listquery.h"
#include "data/prefault.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/sqlitebackend.h"

#include <QCryptographicHash>
#include <QDate>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

// The fast ways of reading, sorting and keeping many rows against their plain
// ways, at sizes where the fast ones come into play. The test command runs
// these under ThreadSanitizer as well (orv_thread_tests).

using namespace orv::data;
using namespace Qt::StringLiterals;

namespace {

constexpr unsigned kAll = kEveryFastPath;
constexpr int kRows = 40000; // the reading thread hands over ten blocks

class PlainPaths {
public:
    explicit PlainPaths(unsigned mask) : m_before(plainPaths()) { setPlainPaths(mask); }
    ~PlainPaths() { setPlainPaths(m_before); }

private:
    unsigned m_before;
};

// A new database file with the three tables, in `dir`.
void openEmptyDatabase(Connection &c, const QTemporaryDir &dir)
{
    const QString file = dir.filePath(u"orv.mdb"_s);
    createSqliteBackend(file);
    c.open(ConnectionTarget::sqliteFile(file));
    schema::create(c);
}

// Every row's columns in the set's current order, as one fingerprint.
QByteArray fingerprint(RecordSet &rs)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    const QStringList cols{u"KursNr"_s, u"Name"_s, u"Datum_von"_s, u"Rechnung"_s, u"Bemerkung"_s};
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        for (const QString &c : cols)
            h.addData((rs.text(c) + QChar(u'|')).toUtf8());
    return h.result().toHex();
}

// The rows' places in the set's current order: the same reading gives the same places.
std::vector<int> order(RecordSet &rs)
{
    std::vector<int> places;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        places.push_back(rs.bookmark());
    return places;
}

} // namespace

TEST(FastPaths, TextNamesThePlainWays)
{
    EXPECT_EQ(plainPathsFromText(nullptr), 0u);
    EXPECT_EQ(plainPathsFromText("order,pages"), unsigned(FastPath::KeyOrder));
    EXPECT_EQ(plainPathsFromText("reader,unbekannt,prefault"),
              unsigned(FastPath::ReadingThread) | unsigned(FastPath::Prefault));
    EXPECT_EQ(plainPathsFromText("all"), kAll);
    // Without ORV_PLAIN every fast way is taken; with it, the ways it names are left out.
    EXPECT_EQ(plainPaths(), plainPathsFromText(std::getenv("ORV_PLAIN")));
    EXPECT_EQ(plainPathsFromText("join"), unsigned(FastPath::JoinInMemory));
    for (const FastPath p : {FastPath::Prefault, FastPath::ReadingThread, FastPath::KeyOrder, FastPath::JoinInMemory})
        EXPECT_EQ(fastPath(p), (plainPaths() & unsigned(p)) == 0);
}

// 40,000 entries: the names mostly distinct, with umlauts, case ties, nulls and
// repeats, so that every step of the German order has work to do.
TEST(FastPaths, PlainAndFastReadAndSortTheSameRows)
{
    QTemporaryDir dir;
    Connection c;
    openEmptyDatabase(c, dir);
    c.exec(u"INSERT INTO Trainingsplan (KursNr, Name, Datum_von, Rechnung, Bemerkung, Status) "
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
           "SELECT 'K' || (i * 7919 % 997), "
           "CASE i % 5 WHEN 0 THEN 'Müller, ' WHEN 1 THEN 'mueller, ' WHEN 2 THEN 'Groß, ' WHEN 3 THEN 'Grosse, ' "
           "ELSE 'Öztürk, ' END || (i * 104729 % 250000), "
           "CASE WHEN i % 11 = 0 THEN NULL ELSE date('2020-01-01', '+' || (i % 2000) || ' days') END, "
           "i % 3 = 0, CASE WHEN i % 13 = 0 THEN NULL ELSE 'Bemerkung ' || (i % 4001) END, '0' FROM n"_s.arg(kRows));

    QByteArray rows[2];
    std::vector<int> sorted[2][3];
    for (const unsigned mask : {0u, kAll}) {
        PlainPaths paths(mask);
        const int way = mask == 0 ? 0 : 1;
        RecordSet rs;
        rs.openTable(c, u"Trainingsplan"_s);
        ASSERT_EQ(rs.recordCount(), kRows);
        rows[way] = fingerprint(rs);
        int i = 0;
        for (const QString &by : {u"Name"_s, u"Bemerkung, Datum_von"_s, u"Rechnung, KursNr, Name"_s}) {
            rs.sort(by);
            sorted[way][i++] = order(rs);
        }
    }
    EXPECT_EQ(rows[0], rows[1]);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(sorted[0][i] == sorted[1][i]) << "sort order " << i;

    // Four columns of many distinct values each are too many to pack into one
    // key per row: still each row stands after the one before it, column by
    // column, empty values first, and equal rows in the order they were read.
    RecordSet rs;
    rs.openTable(c, u"Trainingsplan"_s);
    rs.sort(u"Name, Bemerkung, Datum_von, KursNr"_s);
    const int name = rs.columnIndex(u"Name"_s), remark = rs.columnIndex(u"Bemerkung"_s),
              start = rs.columnIndex(u"Datum_von"_s), course = rs.columnIndex(u"KursNr"_s);
    struct Row {
        std::string_view name, remark, course;
        bool noRemark, noStart;
        QDate start;
        int bookmark;
    };
    const auto current = [&] {
        return Row{rs.textBytes(name), rs.textBytes(remark), rs.textBytes(course), rs.isNull(remark),
                   rs.isNull(start),   rs.date(start),       rs.bookmark()};
    };
    // Negative, zero or positive, as the earlier row sorts before, with, or after the later.
    const auto compare = [](const Row &a, const Row &b) {
        if (const int n = germanCompare(a.name, b.name))
            return n;
        if (a.noRemark != b.noRemark)
            return a.noRemark ? -1 : 1;
        if (const int r = germanCompare(a.remark, b.remark))
            return r;
        if (a.noStart != b.noStart)
            return a.noStart ? -1 : 1;
        if (a.start != b.start)
            return a.start < b.start ? -1 : 1;
        return germanCompare(a.course, b.course);
    };
    rs.moveFirst();
    Row before = current();
    int misplaced = 0;
    for (rs.moveNext(); !rs.eof(); rs.moveNext()) {
        const Row now = current();
        const int cmp = compare(before, now);
        misplaced += cmp > 0 || (cmp == 0 && before.bookmark > now.bookmark) ? 1 : 0;
        before = now;
    }
    EXPECT_EQ(misplaced, 0);
}

// A list of entries with their employee and course: read as one joined
// statement, or table by table and joined by key, the rows are the same,
// whichever table a condition narrows. Among them: entries without their
// employee or course, keys filled with blanks on one side only, employees
// and courses no entry names, and values missing in the joined tables.
TEST(FastPaths, AListJoinedByKeyGivesTheRowsOfTheJoinedStatement)
{
    QTemporaryDir dir;
    Connection c;
    openEmptyDatabase(c, dir);
    c.exec(u"INSERT INTO Kurs (KursNr, Rubrik, Beschreibung, Art, Referent, Kosten, Dauer) "
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
           "SELECT CASE WHEN i % 7 = 0 THEN substr('K' || i || '     ', 1, 6) ELSE 'K' || i END, "
           "'Rubrik ' || (i % 9), 'Kurs ' || i, CASE i % 3 WHEN 0 THEN 'E' WHEN 1 THEN 'I' ELSE NULL END, "
           "CASE WHEN i % 5 = 0 THEN NULL ELSE 'Referent Ärger ' || (i % 11) END, "
           "CASE WHEN i % 4 = 0 THEN NULL ELSE i * 12.5 END, i % 6 FROM n"_s);
    c.exec(u"INSERT INTO Mitarbeiter (Name, Kostenstelle, Abteilung, Kategorie, Bereich) "
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
           "SELECT CASE WHEN i % 10 = 0 THEN 'Müller, ' || i || '   ' ELSE 'Müller, ' || i END, "
           "i % 50, 'Abt ' || (i % 13), CASE WHEN i % 8 = 0 THEN NULL ELSE 'K' || (i % 3) END, "
           "'Bereich ' || (i % 17) FROM n"_s);
    c.exec(u"INSERT INTO Trainingsplan (KursNr, Name, Prioritaet, Quelle, Datum_von, Datum_bis, Rechnung, "
           "Beurteilung, Bemerkung, Status) "
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30000) "
           "SELECT CASE WHEN i % 3 = 0 THEN substr('K' || (i % 320) || '     ', 1, 6) ELSE 'K' || (i % 320) END, "
           "CASE WHEN i % 11 = 0 THEN 'Müller, ' || (i % 2100) || ' ' ELSE 'Müller, ' || (i % 2100) END, "
           "i % 3 + 1, 'ZM', CASE WHEN i % 9 = 0 THEN NULL ELSE date('2026-01-01', '+' || (i % 700) || ' days') END, "
           "NULL, i % 2 = 0, i % 5 = 0, 'Bemerkung ' || i, i % 4 FROM n"_s);

    const auto rowsOf = [](RecordSet &rs) {
        QStringList rows;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            QStringList row;
            for (int col = 0; col < rs.columnCount(); ++col)
                row << (rs.isNull(col) ? u"<null>"_s : rs.text(col));
            rows << row.join(u'|');
        }
        return rows;
    };
    const std::function<void(ListQuery &)> selections[] = {
        [](ListQuery &) {},
        [](ListQuery &q) { q.equals("Bereich", u"Bereich 3"_s); },
        [](ListQuery &q) {
            q.contains("Referent", u"ärger 1"_s);
            q.startsWith("Trainingsplan.KursNr", u"k1"_s);
        },
        [](ListQuery &q) {
            q.between("Datum_von", QDate(2026, 3, 1), QDate(2026, 9, 30));
            q.oneOf("Status", {u"1"_s, u"3"_s});
            q.equals("Rechnung", true);
            q.equals("Kategorie", u"K2"_s);
        },
        [](ListQuery &q) { q.oneOf("Status", {}); },
        [](ListQuery &q) {
            q.contains("Trainingsplan.Name", u"ller, 19"_s);
            q.withExportedColumns();
        },
    };
    for (size_t i = 0; i < std::size(selections); ++i) {
        SCOPED_TRACE(i);
        ListQuery q(trainingPlanList, c.backend());
        selections[i](q);
        ASSERT_TRUE(q.readsTablesApart());
        RecordSet joined, apart;
        joined.openQuery(c, q.sql(), q.params());
        apart.openRows(c, [&c, q] { return q.readApart(c); });
        ASSERT_EQ(apart.columnCount(), joined.columnCount());
        for (int col = 0; col < joined.columnCount(); ++col) {
            EXPECT_EQ(apart.column(col).name, joined.column(col).name);
            EXPECT_EQ(apart.column(col).type, joined.column(col).type);
        }
        joined.sort(u"KursNr, Name"_s);
        apart.sort(u"KursNr, Name"_s);
        const QStringList expected = rowsOf(joined);
        EXPECT_EQ(rowsOf(apart), expected);
        if (i == 0) {
            EXPECT_GT(expected.size(), 15000);
        }
        // Read again (as a re-read does), the same rows come.
        apart.requery();
        apart.sort(u"KursNr, Name"_s);
        EXPECT_EQ(rowsOf(apart), expected);
    }
}

// Sorting many distinct texts at once must place them exactly as comparing
// them pair by pair does: prefixes, case and accent ties, ß, and letters
// beyond Latin-1 that only the full collator places.
TEST(FastPaths, GermanOrderAgreesWithThePairwiseComparison)
{
    const QByteArray surnames = "Albrecht|albrecht|Ärger|Aerger|Groß|Gross|Große|Şahin|Sahin|Łukasz|Lukas|O'Neill|"
                                "Oneill|Müller|Mueller|Zoë|Ángel|Dvořák||Übel|Ubel";
    const QByteArray given = "|, Ayşe|, Ayse|, Anna|, anna|, Ånna|, Ayşe-Marie|, Anna-Katharina|, Anna-Kathärina|  |"
                             ", Anna-Katharinas|, Anna-Katharina Şule";
    std::vector<std::string> owned;
    for (const QByteArray &s : surnames.split('|'))
        for (const QByteArray &g : given.split('|'))
            owned.push_back((s + g).toStdString());
    std::vector<std::string_view> texts(owned.begin(), owned.end());
    for (const unsigned mask : {0u, unsigned(FastPath::KeyOrder)}) {
        PlainPaths paths(mask);
        const std::vector<uint32_t> order = germanOrder(texts);
        ASSERT_EQ(order.size(), texts.size());
        std::vector<bool> seen(texts.size());
        for (uint32_t i : order)
            seen.at(i) = true;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), true), qsizetype(texts.size()));
        for (size_t i = 1; i < order.size(); ++i)
            EXPECT_LE(germanCompare(texts[order[i - 1]], texts[order[i]]), 0)
                << owned[order[i - 1]] << " before " << owned[order[i]] << " (plain " << mask << ")";
    }
}

// Getting the pages of a fresh block ahead of the writer leaves what is
// written in it as it is, whether it runs or not.
TEST(FastPaths, PrefaultingKeepsTheContents)
{
    for (const unsigned mask : {0u, unsigned(FastPath::Prefault)}) {
        PlainPaths paths(mask);
        const size_t n = ((size_t(64) << 20) + 12345) / sizeof(uint32_t);
        std::unique_ptr<uint32_t[]> block(new uint32_t[n]); // untouched, as a report's fresh text
        for (size_t i = 0; i < n / 2; ++i)
            block[i] = uint32_t(i * 2654435761u);
        {
            Prefault ahead(block.get(), n * sizeof(uint32_t));
            for (size_t i = n / 2; i < n; ++i)
                block[i] = uint32_t(i * 2654435761u);
        }
        size_t wrong = 0;
        for (size_t i = 0; i < n; ++i)
            wrong += block[i] != uint32_t(i * 2654435761u) ? 1 : 0;
        EXPECT_EQ(wrong, 0u);
    }
}
