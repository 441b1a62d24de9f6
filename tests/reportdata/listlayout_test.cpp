#include "data/listtables.h"
#include "reportdata/listlayout.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace orv;

namespace {

// A list with three summed columns between a text and a mark, so that the
// totals push each other left when the last one is wide.
// clang-format off
constexpr data::ListColumn kColumns[] = {
    {"Nr",      "Nr.",    4, false, data::Shown::Text,   1, data::CellType::Text},
    {"Kosten",  "Kosten", 8, false, data::Shown::Number, 0, data::CellType::Number, 2, true},
    {"Dauer",   "Dauer",  6, false, data::Shown::Number, 0, data::CellType::Number, 1, true},
    {"Tage",    "Tage",   5, false, data::Shown::Number, 2, data::CellType::Number, 0, true, "Tage gesamt"},
    {"Intern",  "I",      1, false, data::Shown::Mark,   0, data::CellType::Text},
};
// clang-format on
constexpr data::ListTable kTable = {"Liste", kColumns};

TEST(ListLayoutTest, HeadingStandsOverEachValueAndNumbersAlignRight)
{
    EXPECT_EQ(reportdata::ListLayout(kTable).heading(), u"Nr.    Kosten Dauer Tage  I"_s);
    // Left out, a column takes its heading and its place along.
    EXPECT_EQ(reportdata::ListLayout(kTable, {kTable.indexOf("Dauer")}).heading(), u"Nr.    Kosten Tage  I"_s);
}

TEST(ListLayoutTest, EachTotalEndsUnderItsColumnUntilAWideOnePushesTheOthersLeft)
{
    const reportdata::ListLayout layout(kTable);
    const struct {
        std::vector<qint64> units;
        QString line;
    } cases[] = {
        {{12345, 15, 7}, u"Summe: 123,45   1,5    7  Anzahl:     3"_s},
        // A total that fills its column keeps it; the one just left of it gives way.
        {{5, 12345, 7}, u"Summe:  0,05 1234,5    7  Anzahl:     3"_s},
        {{12345, 15, 1234567}, u"Summe: 123,45 1,5 1234567  Anzahl:     3"_s},
        {{-5, 12345678, 7}, u"Summe: -0,05 1234567,8 7  Anzahl:     3"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(layout.totalsLine({c.units, 3}), c.line) << c.line.toStdString();
}

TEST(ListLayoutTest, SpreadsheetColumnsTakeTheirOwnHeadingWhereTheyHaveOne)
{
    std::vector<QString> headings;
    for (const reportdata::ExportColumn &c : reportdata::ListLayout(kTable).exportColumns())
        headings.push_back(c.heading + (c.summed ? u" (Summe)"_s : QString()));
    EXPECT_EQ(headings, (std::vector<QString>{u"Nr."_s, u"Kosten (Summe)"_s, u"Dauer (Summe)"_s,
                                              u"Tage gesamt (Summe)"_s, u"I"_s}));
}

} // namespace
