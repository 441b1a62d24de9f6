#pragma once
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

// A table read from a file, as text cells, before anything is checked.
namespace orv::import {

// A file that cannot be read as a table, with the German reason shown to the user.
class ImportError : public std::runtime_error {
public:
    explicit ImportError(const QString &reason) : std::runtime_error(reason.toStdString()), m_reason(reason) {}
    const QString &reason() const { return m_reason; }

private:
    QString m_reason;
};

// One row that has at least one cell with text; `line` is the row's number in
// the file as the user sees it (the CSV line where it starts, the sheet's row).
struct SheetRow {
    int line = 0;
    QStringList cells;
};

// The rows of one sheet or CSV file, empty rows left out. A number cell of a
// workbook comes as its shortest exact text with a decimal point ("12.5"), a
// date cell as "yyyy-MM-dd".
struct Sheet {
    std::vector<SheetRow> rows;
    // Rows (lines) where a workbook holds a formula, and the row ranges of its
    // merged cells: refused where they lie within the imported rows.
    std::vector<int> formulaLines;
    std::vector<std::pair<int, int>> mergedLines;
    QString encoding; // "UTF-8", "Windows-1252"; empty for a workbook
};

// Limits that keep a hostile file from taking the program's memory or time.
inline constexpr qsizetype kMaxCellChars = 32767;    // a spreadsheet cell's own limit
inline constexpr int kMaxRows = 1048576;             // a worksheet's rows
inline constexpr int kMaxColumns = 256;              // far more than any table here has
inline constexpr qint64 kMaxFileBytes = 512LL << 20; // a CSV file, a workbook's sheet

// The column name of a spreadsheet ("A", "AB") for the 0-based index.
QString columnLetters(int index);

} // namespace orv::import
