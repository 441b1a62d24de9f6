#pragma once
#include "data/listtables.h"
#include "reportdata/reportexport.h"
#include "reportdata/reportmodel.h"

#include <QString>
#include <initializer_list>
#include <string>
#include <vector>

namespace orv::reportdata {

class LineWriter;
class SortedRows;

// A list's columns as a report lays them out: the columns of its table, less
// those the selection makes redundant (the Bereich of a list of one Bereich).
// The heading, the lines, the totals and the spreadsheet's columns and cells
// are all made from it, so they cannot fall out of step.
class ListLayout {
public:
    // `leftOut`: positions in the table of columns this report does not show.
    explicit ListLayout(const data::ListTable &table, std::initializer_list<int> leftOut = {});

    // The column heading: each heading over its value, the last one as it stands.
    QString heading() const;
    // The current row's line, without the line break.
    void writeLine(LineWriter &w, const SortedRows &rows) const;

    // The summed columns' totals in whole units of their last decimal (cents,
    // tenths of hours): a single-precision sum loses cents after a few thousand rows.
    struct Totals {
        std::vector<qint64> units;
        int count = 0;
    };
    Totals startTotals() const { return {std::vector<qint64>(m_summed.size(), 0), 0}; }
    void addToTotals(const SortedRows &rows, Totals &totals) const;
    // "Summe:", each total ending under its column, then the count.
    QString totalsLine(const Totals &totals) const;

    // The spreadsheet's columns, and the current row's cells in their order.
    std::vector<ExportColumn> exportColumns() const;
    void writeCells(ExportWriter &w, const SortedRows &rows) const;

private:
    // How a cell goes to a spreadsheet.
    enum class Cell : unsigned char { Text, Number, NumberInText, Date, Mark, Status };
    struct Place {
        const data::ListColumn *column;
        int index; // in the rows
        // The column's layout, copied beside the rest for the lines.
        data::Shown shown;
        Cell cell;
        int width;
        int cutAt;    // characters of a text at most; -1: the whole text
        int decimals; // a total counts units of the last place (data::amountUnits)
        QString gap;
        // Mark: the line's text for no and yes; Status: for none and the four
        // codes. The gap included.
        std::vector<QString> texts;
        std::vector<std::string> cellTexts; // the same for the spreadsheet, without padding
    };

    std::vector<Place> m_places;
    std::vector<size_t> m_summed; // places of the summed columns
};

// A list without groups or totals: the heading over one line per row.
ReportModel plainList(const ListLayout &layout, SortedRows &rows, const QString &title, Orientation orientation);

} // namespace orv::reportdata
