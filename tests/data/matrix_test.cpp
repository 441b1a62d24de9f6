// The qualification matrix's cells: status, validity at its boundary days,
// the series' latest cycle, the counts, and which rows and columns it takes.
#include "data/matrix.h"
#include "reportdata/matrixlist.h"
#include "support/matrixrows.h"

#include <functional>

using namespace orv::data;

namespace orv::test {
namespace {

class MatrixCellsTest : public MatrixRowsTest {
protected:
    matrix::Selection selection() const
    {
        matrix::Selection s;
        s.today = kToday;
        s.dueDays = 30;
        return s;
    }
    // "Name|cell|cell…" per row, the columns' keys first and the counts last.
    static QStringList shown(const matrix::Matrix &m)
    {
        QStringList keys{u"Name"_s}, counts{u"Erledigt und gültig"_s};
        for (size_t c = 0; c < m.columns.size(); ++c) {
            keys << m.columns[c].key;
            counts << QString::number(m.qualified[c]);
        }
        QStringList lines{keys.join(u'|')};
        for (size_t r = 0; r < m.rows.size(); ++r) {
            QStringList cells{m.rows[r].name};
            for (size_t c = 0; c < m.columns.size(); ++c)
                cells << reportdata::cellText(m.at(r, c));
            lines << cells.join(u'|');
        }
        return lines << counts.join(u'|');
    }
};

TEST_P(MatrixCellsTest, EachStatusAndValidityAtItsBoundaryDaysAndTheCounts)
{
    const matrix::Matrix m = matrix::build(db(), selection());
    // K1: B G E K. KV: ran out yesterday (-), runs out today and in 29 days
    // (!), in 30 days (+). UW27 planned while UW26 is valid.
    EXPECT_EQ(shown(m), (QStringList{u"Name|K1|KV|UW26|UW27"_s, u"Ablauf, Anna|B|E-|E+|G"_s, u"Genug, Gerd|K|E+||"_s,
                                     u"Heute, Hans|G|E!|K|"_s, u"Knapp, Karl|E|E!||"_s, u"Ohne, Olga||||"_s,
                                     u"Erledigt und gültig|1|3|1|0"_s}));
    EXPECT_EQ(m.columns[1].months, 12);
    EXPECT_EQ(m.columns[0].description, u"Excel Grundlagen"_s);
}

// One column a series: the status of the latest cycle, the validity of the
// last completion; named after the latest cycle.
TEST_P(MatrixCellsTest, ASeriesColumnShowsItsLatestCycle)
{
    matrix::Selection s = selection();
    s.series = true;
    const matrix::Matrix m = matrix::build(db(), s);
    EXPECT_EQ(shown(m), (QStringList{u"Name|UW"_s, u"Ablauf, Anna|G+"_s, u"Genug, Gerd|"_s, u"Heute, Hans|K"_s,
                                     u"Knapp, Karl|"_s, u"Ohne, Olga|"_s, u"Erledigt und gültig|1"_s}));
    ASSERT_EQ(m.columns.size(), 1u);
    EXPECT_EQ(m.columns[0].kursNr, u"UW27"_s);
    EXPECT_EQ(m.columns[0].description, u"Unterweisung 2027"_s);
}

// The rows the employee filters leave, grouped or by name; the columns a
// Rubrik, an Art or ticks leave; the period of Datum von; who has no entry.
TEST_P(MatrixCellsTest, RowsAndColumnsAsChosen)
{
    const struct {
        const char *what;
        std::function<void(matrix::Selection &)> choose;
        QStringList expected;
    } cases[] = {
        {"Bereich and Kategorie",
         [](matrix::Selection &s) {
             s.bereich = u"Einkauf"_s;
             s.kategorie = u"Ets"_s;
             s.kursNrs = {u"KV"_s};
         },
         {u"Name|KV"_s, u"Ablauf, Anna|E-"_s, u"Heute, Hans|E!"_s, u"Erledigt und gültig|1"_s}},
        {"Abteilung and Kostenstelle, grouped by Bereich and Abteilung",
         [](matrix::Selection &s) {
             s.kostenstelle = u"100"_s;
             s.grouped = true;
             s.rubrik = u"IT"_s;
         },
         {u"Name|K1"_s, u"Knapp, Karl|E"_s, u"Ablauf, Anna|B"_s, u"Heute, Hans|G"_s, u"Erledigt und gültig|1"_s}},
        {"ticked courses, whatever the Rubrik",
         [](matrix::Selection &s) {
             s.kursNrs = {u"UW27"_s, u"K1 "_s};
             s.rubrik = u"Sprachen"_s;
             s.abteilung = u"LG"_s;
         },
         {u"Name|K1|UW27"_s, u"Genug, Gerd|K|"_s, u"Erledigt und gültig|0|0"_s}},
        {"Art, and only who has an entry",
         [](matrix::Selection &s) {
             s.art = u"E"_s;
             s.withoutEntries = false;
         },
         {u"Name|KV"_s, u"Ablauf, Anna|E-"_s, u"Genug, Gerd|E+"_s, u"Heute, Hans|E!"_s, u"Knapp, Karl|E!"_s,
          u"Erledigt und gültig|3"_s}},
        {"a period: the old cycle's completion is not seen",
         [](matrix::Selection &s) {
             s.series = true;
             s.from = QDate(2027, 1, 1);
             s.to = QDate(2027, 12, 31);
             s.withoutEntries = false;
         },
         {u"Name|UW"_s, u"Ablauf, Anna|G"_s, u"Erledigt und gültig|0"_s}},
        {"a period's end: only what started by then",
         [](matrix::Selection &s) {
             s.to = QDate(2026, 6, 30);
             s.kursNrs = {u"UW26"_s, u"KV"_s};
             s.withoutEntries = false;
         },
         {u"Name|KV|UW26"_s, u"Ablauf, Anna|E-|"_s, u"Heute, Hans|E!|K"_s, u"Erledigt und gültig|1|0"_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        matrix::Selection s = selection();
        c.choose(s);
        EXPECT_EQ(shown(matrix::build(db(), s)), c.expected);
    }
}

// Nothing to show: no course of the Rubrik, or nobody in the Bereich.
TEST_P(MatrixCellsTest, AnEmptyMatrix)
{
    matrix::Selection s = selection();
    s.rubrik = u"Sprachen"_s;
    EXPECT_TRUE(matrix::build(db(), s).isEmpty());
    s = selection();
    s.bereich = u"Controlling"_s;
    EXPECT_TRUE(matrix::build(db(), s).isEmpty());
}

ORV_DB_TEST_SUITE(MatrixCellsTest);

} // namespace
} // namespace orv::test
