#pragma once
#include "data/schema.h"
#include "import/sheet.h"

#include <QVariantList>
#include <functional>
#include <vector>

namespace orv::data {
class Connection;
}

// Rows of a CSV file or workbook into one table: mapped by headings, checked
// like typed records, written all together or not at all.
namespace orv::import {

enum class Mode {
    AddOnly,     // new keys are added, existing keys skipped
    AddOrUpdate, // new keys are added, existing rows get the columns that differ
};

enum class Outcome { Added, Updated, Unchanged, Skipped, Refused };
QString outcomeText(Outcome o); // "neu", "geändert", "unverändert", "übersprungen", "abgewiesen"

// Stops an import the user cancelled; the database stays as it was.
struct ImportCancelled {};

struct RowResult {
    int line = 0;
    Outcome outcome = Outcome::Refused;
    QString column; // refused: the file's heading (or field) concerned
    QString reason; // refused: the German reason
};

struct ImportResult {
    std::vector<RowResult> rows; // every row of the list, in the file's order
    // The first rows as they will be stored, per field of the table (texts
    // without their filling blanks, dates and numbers as the windows show them).
    std::vector<QStringList> preview;
    qint64 added = 0, updated = 0, unchanged = 0, skipped = 0, refused = 0;
    bool written = false; // the rows are in the database (committed)
    QString backupFile;   // the copy taken right before writing (SQLite)
    qint64 count(Outcome o) const;
};

inline constexpr int kPreviewRows = 100;

// `done` of `total` rows; may throw ImportCancelled.
using Progress = std::function<void(qint64 done, qint64 total)>;

// A file's rows for one table, with the mapping of its columns.
class Import {
public:
    // The heading line is the first of the first rows that names every key
    // field (ORV's workbooks have a title above it); else the first row.
    Import(const data::schema::TableDef &table, Sheet sheet);

    const data::schema::TableDef &table() const { return *m_table; }
    QStringList headings() const;
    int headingLine() const;
    // Per file column the field index in the table (-1: left out); may be changed.
    const std::vector<int> &mapping() const { return m_mapping; }
    void setMapping(std::vector<int> mapping);
    // The German message when a required field has no column; empty when all have one.
    QString missingFields() const;
    // Refuses formulas and merged cells among the imported rows (throws ImportError).
    void checkCells() const;
    // The rows below the heading up to the first empty row.
    qint64 rowCount() const { return qint64(m_last - m_first); }
    const SheetRow &row(qint64 i) const { return m_sheet.rows[size_t(m_first + i)]; }
    // Rows after the first empty row below the list, which are not read; a German notice, or empty.
    QString notice() const;

    // Checks every row against the database; with `write` the accepted rows
    // go in, in one transaction, after a backup of a SQLite file.
    // Throws ImportError (the file), data::DbError, ImportCancelled.
    ImportResult run(data::Connection &conn, Mode mode, bool write, const Progress &progress = {}) const;

    // The refused rows with the file's headings and three columns more (line,
    // column, reason), as a CSV file to mend and import again. Throws ImportError.
    void saveRefusals(const ImportResult &result, const QString &path) const;

private:
    const data::schema::TableDef *m_table;
    Sheet m_sheet;
    size_t m_head = 0; // index of the heading row in m_sheet.rows; == size when none
    size_t m_first = 0, m_last = 0;
    std::vector<int> m_mapping;
};

// Opens a file by its extension: .xlsx as a workbook (`sheet` or the first), anything else as CSV.
Sheet readFile(const QString &path, const QString &sheet = QString());

// A number as files hold it: decimal comma or point, thousands separators;
// nullopt for no number.
std::optional<double> fileNumber(const QString &text);
// A date as files hold it: dd.mm.yyyy, d.m.yy or yyyy-mm-dd; nullopt for none.
std::optional<QDate> fileDate(const QString &text);

} // namespace orv::import
