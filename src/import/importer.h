#pragma once
#include "data/schema.h"
#include "import/columnmap.h"
#include "import/files.h"
#include "import/sheet.h"

#include <QHash>
#include <functional>
#include <optional>
#include <span>
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

enum class Outcome : quint8 { Added, Updated, Unchanged, Skipped, NoKey, Refused };
// "neu", "geändert", "unverändert", "übersprungen", "ohne Schlüssel", "abgewiesen"
QString outcomeText(Outcome o);

// Stops an import the user cancelled; the database stays as it was.
struct ImportCancelled {};

// One reason a row is refused: the file's heading (or field) concerned and the German reason.
struct RowFault {
    QString column;
    QString reason;
};

struct RowResult {
    int line = 0;
    Outcome outcome = Outcome::Refused;
    quint32 firstFault = 0, faultCount = 0; // into ImportResult::faults
};

struct ImportResult {
    std::vector<RowResult> rows; // every row of the list, in the file's order
    std::vector<RowFault> faults;
    // The first rows as they will be stored, per field of the table (texts
    // without their filling blanks, dates and numbers as the windows show them).
    std::vector<QStringList> preview;
    qint64 added = 0, updated = 0, unchanged = 0, skipped = 0, noKey = 0, refused = 0;
    bool written = false; // the rows are in the database (committed)
    QString backupFile;   // the copy taken right before writing (SQLite)
    qint64 count(Outcome o) const;
    // Every fault of a row, in the order of the windows' checks.
    std::span<const RowFault> faultsOf(const RowResult &row) const;
    // "1 neu, 0 geändert, 0 unverändert, 0 übersprungen, 1 abgewiesen", with
    // the rows without a key below the list when there are any.
    QString summary() const;
};

inline constexpr int kPreviewRows = 100;

// `done` of `total` rows; may throw ImportCancelled.
using Progress = std::function<void(qint64 done, qint64 total)>;

// A file's values that stand for an item of a list: per column name the
// file's value (trimmed) and the item it becomes ("Angestellte" -> "Ets").
using ValueTable = QHash<QString, QHash<QString, QString>>;

// A value of a list field that is not in the list, with the rows that have it.
struct UnknownValue {
    int field = -1;
    QString value; // trimmed, as the value table names it
    qint64 rows = 0;
    int firstLine = 0;
};

// The fields of the table whose values come from a list (Kategorie, Art,
// Bereich, Rubrik, Priorität, Quelle, Status).
std::vector<int> listFields(const data::schema::TableDef &table);
// The items a list field takes, as a value table names them: trimmed, "" for
// the blank item, the status as "0" to "3".
QStringList listItems(const data::schema::TableDef &table, int field);
// An item as the user reads it: the status's caption, "(leer)" for the blank item.
QString itemCaption(const data::schema::TableDef &table, int field, const QString &item);
// A value table kept as text (settings, the file of `orvdb import --werte`):
// one line per value, "column<TAB>file's value<TAB>item".
ValueTable valueTableFromText(const QString &text);
QString valueTableText(const ValueTable &table);
// Reads a value table from a CSV file with the columns "Feld", "Wert" and
// "wird zu" (a heading line first); the field by its column name or caption,
// the item as listItems() or the status's caption names it. Throws ImportError.
ValueTable readValueTable(const data::schema::TableDef &table, const QString &path);

// A file's rows for one table, with the mapping of its columns.
class Import {
public:
    // The heading line is the first of the first rows that names every key
    // field (ORV's workbooks have a title above it); else the first row.
    Import(const data::schema::TableDef &table, Sheet sheet);

    const data::schema::TableDef &table() const { return *m_table; }
    QStringList headings() const;
    int headingLine() const;
    // Per field the columns it takes (joined when several); may be changed.
    const Mapping &mapping() const { return m_mapping; }
    void setMapping(Mapping mapping);
    // The German message when a required field has no column, or two columns
    // go into one field without a separator to join them; empty when all is well.
    // `withHeadingLine` adds where the headings were found.
    QString missingFields(bool withHeadingLine = true) const;
    // Refuses merged cells among the imported rows (throws ImportError).
    void checkCells() const;
    // The rows below the heading up to the first empty row.
    qint64 rowCount() const { return qint64(m_last - m_first); }
    int line(qint64 i) const { return m_sheet.line(qsizetype(m_first + size_t(i))); }
    QStringList cells(qint64 i) const { return m_sheet.cells(qsizetype(m_first + size_t(i))); }
    // Rows after the first empty row below the list, which are not read; a German notice, or empty.
    QString notice() const;

    void setValueTable(ValueTable values) { m_values = std::move(values); }
    const ValueTable &valueTable() const { return m_values; }
    // The values of the list fields that are not items of their list (with an
    // entry in the value table or without), in the order they first appear.
    std::vector<UnknownValue> unknownValues() const;

    // Checks every row against the database; with `write` the accepted rows
    // go in, in one transaction, after a backup of a SQLite file.
    // Throws ImportError (the file, or too little memory), data::DbError, ImportCancelled.
    ImportResult run(data::Connection &conn, Mode mode, bool write, const Progress &progress = {}) const;

    // The refused rows with the file's headings and three columns more (line,
    // column, reason: every fault of the row, one line each), as a CSV file to
    // mend and import again; texts a spreadsheet would compute are guarded as
    // the export guards them. Throws ImportError.
    void saveRefusals(const ImportResult &result, const QString &path) const;

private:
    struct Row;
    struct Stored;
    struct Accepted;
    // The steps of run().
    void prepare() const;
    Stored readStored(data::Connection &conn, Mode mode) const;
    Row convert(qint64 i) const;
    // A stored row's values for the fields the file does not have; the fields the row changes, a bit each.
    quint32 mergeStored(Row &row, const QVariantList &old) const;
    std::vector<RowFault> check(const Row &row, bool adding, const Stored &stored,
                                const std::vector<QString> &unreadable) const;
    void addPreview(ImportResult &result, const Row &row, Outcome outcome, qint64 i) const;
    void write(data::Connection &conn, const std::vector<Accepted> &accepted, const Stored &stored, qint64 done,
               const Progress &progress) const;
    qint64 trailingNoKey() const;
    QString headingOf(int field) const;

    const data::schema::TableDef *m_table;
    Sheet m_sheet;
    size_t m_head = 0; // index of the heading row in the sheet; == size when none
    size_t m_first = 0, m_last = 0;
    Mapping m_mapping;
    ValueTable m_values;
};

// A number as files hold it: decimal comma or point, thousands separators;
// nullopt for no number.
std::optional<double> fileNumber(const QString &text);
// A date as files hold it: dd.mm.yyyy, d.m.yy or yyyy-mm-dd; nullopt for none.
std::optional<QDate> fileDate(const QString &text);

} // namespace orv::import
