#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <utility>
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

// The rows of one sheet or CSV file that have at least one cell with text,
// kept small: the text of every cell one after another in one UTF-8 buffer,
// each cell ended by a zero byte (no cell holds U+0000: a CSV file with one
// is refused, XML cannot hold one). A number cell of a workbook comes as its
// shortest exact text with a decimal point ("12.5"), a date cell as
// "yyyy-MM-dd", a formula cell as the value the workbook stores for it.
class Sheet {
public:
    qsizetype size() const { return qsizetype(m_lines.size()); }
    bool empty() const { return m_lines.empty(); }
    // The row's number in the file as the user sees it: the CSV line where
    // it starts, the sheet's row.
    int line(qsizetype row) const { return m_lines[size_t(row)]; }
    // An empty row (or line) lies between this row and the one before it.
    bool blankBefore(qsizetype row) const { return m_blankBefore[size_t(row)] != 0; }
    QStringList cells(qsizetype row) const;
    // The cells as UTF-8, each a view into the buffer.
    std::vector<std::string_view> cellBytes(qsizetype row) const;
    // A formula cell whose workbook stores no value for it.
    bool formulaWithoutValue(qsizetype row, int column) const;
    bool hasFormulaWithoutValue(qsizetype row) const;

    // For the readers: a row of cells (trailing empty cells are dropped).
    void addRow(int line, bool blankBefore, const QStringList &cells);
    void addRowUtf8(int line, bool blankBefore, const std::vector<std::string_view> &cells);
    void markFormulaWithoutValue(int column); // in the row added last
    void reserveBytes(qsizetype bytes) { m_text.reserve(bytes); }
    qsizetype bytes() const { return m_text.capacity() + qsizetype(m_rowStart.capacity() * sizeof(qsizetype)); }

    // The row ranges (first, last line) of a workbook's merged cells: refused
    // where they lie within the imported rows.
    std::vector<std::pair<int, int>> mergedLines;
    QString encoding; // "UTF-8", "Windows-1252"; empty for a workbook

private:
    QByteArray m_text;
    std::vector<qsizetype> m_rowStart;
    std::vector<int> m_lines;
    std::vector<char> m_blankBefore;
    std::vector<std::pair<qsizetype, int>> m_noValue; // (row, column) in the order of the rows
};

// Limits that keep a hostile file from taking the program's memory or time.
inline constexpr qsizetype kMaxCellChars = 32767;    // a spreadsheet cell's own limit
inline constexpr int kMaxRows = 1048576;             // a worksheet's rows
inline constexpr int kMaxColumns = 256;              // far more than any table here has
inline constexpr qint64 kMaxFileBytes = 256LL << 20; // a CSV file, a workbook's sheet

// The column name of a spreadsheet ("A", "AB") for the 0-based index.
QString columnLetters(int index);

} // namespace orv::import
