#pragma once
#include <span>
#include <string_view>

// The printed lists, each as one table of its columns in the order of the
// line: the column it reads, how the line and a spreadsheet show it. The
// statement, the heading, the lines and the export are all made from the
// table, so a column is added or moved in one place.
namespace orv::data {

// How a column's value is shown in a line of a list.
enum class Shown : unsigned char {
    Text,     // padded with blanks to the width; with `cut`, a longer text is cut to it
    Number,   // right-aligned in the width, with `decimals` decimals
    Whole,    // a whole number right-aligned in the width; blanks when there is none
    Date,     // "dd.mm.yy"; blanks when there is none
    Mark,     // yes shows the heading (one letter), no leaves blanks
    Status,   // the status code ("B", "G", "E", "K") in a place of its own among the four
    Never,    // read for the order and the groups only: neither printed nor exported
    Exported, // not printed, read for the spreadsheet only; such columns stand last in the table
};

// The type of the column's cells in a spreadsheet.
enum class CellType : unsigned char { Text, Number, Date };

struct ListColumn {
    const char *source;  // as the statement names it ("Trainingsplan.KursNr")
    const char *heading; // above the value (UTF-8); "" under the heading of the column before
    int width;           // characters the value takes in a line
    bool cut;            // a longer text is cut to the width (otherwise it is kept whole)
    Shown shown;
    int gap;       // characters after the value, before the next column
    CellType cell; // a text column may hold numbers ("1" to "3"): those cells are numbers
    int decimals = 0;
    bool summed = false;               // totalled below the rows
    const char *cellHeading = nullptr; // the spreadsheet's heading, when it differs from the printed one
    char16_t gapChar = u' ';           // what the gap is made of

    // The column's name in the result: the source without its table.
    constexpr std::string_view name() const
    {
        const std::string_view s(source);
        const auto dot = s.find('.');
        return dot == std::string_view::npos ? s : s.substr(dot + 1);
    }
    constexpr int lineWidth() const { return shown == Shown::Never || shown == Shown::Exported ? 0 : width + gap; }
};

// A table whose row each of the list's rows takes, matched by a key column
// of the same name in both (an inner join: rows without a match are left out).
struct ListJoin {
    const char *table;
    const char *key;
};

// A list's rows: where they come from, and the columns in the order of the line.
struct ListTable {
    const char *from; // the FROM part of the statement; with `joins`, the one table they join to
    std::span<const ListColumn> columns;
    std::span<const ListJoin> joins = {};

    // The position of the named column in the rows. Evaluated at compile time,
    // a name the table does not have stops the build.
    constexpr int indexOf(std::string_view name) const
    {
        for (size_t i = 0; i < columns.size(); ++i)
            if (columns[i].name() == name)
                return int(i);
        throw "the list has no such column";
    }
    // The characters of the longest line, CR LF included.
    constexpr int lineLength() const
    {
        int n = 2;
        for (const ListColumn &c : columns)
            n += c.lineWidth();
        return n;
    }
};

// clang-format off

// "Komplettliste Kurse" and the lists of one Rubrik or trainer.
// The series and the months a course's training stays valid stand last.
inline constexpr ListColumn courseListColumns[] = {
    // source                heading      width cut    shown         gap cell              decimals, summed, spreadsheet heading, gap made of
    {"Kurs.KursNr",          "Kurs-Nr.",      6, false, Shown::Text,    3, CellType::Text},
    {"Rubrik",               "Rubrik",       40, false, Shown::Text,    2, CellType::Text},
    {"Beschreibung",         "Beschreibung", 80, false, Shown::Text,    2, CellType::Text},
    {"Art",                  "Art",           1, false, Shown::Text,    4, CellType::Text},
    {"Referent",             "Referent",     30, false, Shown::Text,    2, CellType::Text},
    {"Kosten",               "Kosten",        7, false, Shown::Number,  0, CellType::Number, 2},
    {"Dauer",                "Dauer",         7, false, Shown::Number,  2, CellType::Number, 1},
    {"Kursreihe.Reihe",      "Reihe",        10, false, Shown::Text,    1, CellType::Text},
    {"Kursreihe.Gueltigkeit", "Monate",       6, false, Shown::Whole,   0, CellType::Number, 0, false, "Gültigkeit (Monate)"},
};
inline constexpr ListTable courseList = {
    "Kurs LEFT JOIN Kursreihe ON Kursreihe.KursNr = Kurs.KursNr", courseListColumns};

// "Komplettliste Mitarbeiter".
inline constexpr ListColumn employeeListColumns[] = {
    // source                heading      width cut    shown         gap cell              decimals, summed, spreadsheet heading, gap made of
    {"Name",                 "Name",         30, false, Shown::Text,    2, CellType::Text},
    {"Kostenstelle",         "Kostenstelle",  6, false, Shown::Text,    8, CellType::Text},
    {"Abteilung",            "Abteilung",    10, false, Shown::Text,    2, CellType::Text},
    {"Kategorie",            "Kategorie",     3, false, Shown::Text,    8, CellType::Text},
    {"Bereich",              "Bereich",      30, false, Shown::Text,    0, CellType::Text},
};
inline constexpr ListTable employeeList = {"Mitarbeiter", employeeListColumns};

// "Liste Trainingsplan": the course, the employee, then the entry's own columns.
// The dates print as "von-bis" under one heading; the spreadsheet has two.
inline constexpr ListColumn trainingPlanListColumns[] = {
    // source                heading      width cut    shown         gap cell              decimals, summed, spreadsheet heading, gap made of
    {"Trainingsplan.KursNr", "Kurs-Nr.",      6, false, Shown::Text,    3, CellType::Text},
    {"Rubrik",               "Rubrik",        0, false, Shown::Never,   0, CellType::Text},
    {"Beschreibung",         "Beschreibung", 50, true,  Shown::Text,    2, CellType::Text},
    {"Art",                  "Art",           1, false, Shown::Text,    4, CellType::Text},
    {"Referent",             "Referent",     20, true,  Shown::Text,    2, CellType::Text},
    {"Kosten",               "Kosten",        7, false, Shown::Number,  0, CellType::Number, 2, true},
    {"Dauer",                "Dauer",         8, false, Shown::Number,  2, CellType::Number, 1, true},
    {"Trainingsplan.Name",   "Name",         30, false, Shown::Text,    2, CellType::Text},
    {"Kategorie",            "Kat.",          3, false, Shown::Text,    2, CellType::Text},
    {"Bereich",              "Bereich",      30, false, Shown::Text,    1, CellType::Text},
    {"Datum_von",            "Datum",         8, false, Shown::Date,    1, CellType::Date,   0, false, "Datum von", u'-'},
    {"Datum_bis",            "",              8, false, Shown::Date,    1, CellType::Date,   0, false, "Datum bis"},
    {"Prioritaet",           "Prio.",         1, false, Shown::Text,    5, CellType::Number},
    {"Rechnung",             "R",             1, false, Shown::Mark,    1, CellType::Text},
    {"Beurteilung",          "S",             1, false, Shown::Mark,    2, CellType::Text},
    {"Status",               "Status",        8, false, Shown::Status,  0, CellType::Text},
    // The workbook carries source and remark, so that it can be read back into the plan.
    {"Quelle",               "Quelle",        0, false, Shown::Exported, 0, CellType::Text},
    {"Bemerkung",            "Bemerkung",     0, false, Shown::Exported, 0, CellType::Text},
};
inline constexpr ListJoin trainingPlanListJoins[] = {{"Mitarbeiter", "Name"}, {"Kurs", "KursNr"}};
inline constexpr ListTable trainingPlanList = {"Trainingsplan", trainingPlanListColumns, trainingPlanListJoins};
// clang-format on

} // namespace orv::data
