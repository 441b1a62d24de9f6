#pragma once
#include "data/backend.h"
#include "data/connection.h"
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace orv::data {

struct Snapshot;

// What find() and filter() look for in one column.
struct Criterion {
    enum class Op { Equals, Contains, DateEquals };
    QString column;
    Op op = Op::Equals;
    QVariant value; // text for Equals/Contains, QDate for DateEquals
    // Equals: the whole field, trailing blanks of the stored value ignored, case as typed.
    static Criterion equals(const QString &column, const QString &value) { return {column, Op::Equals, value}; }
    // Contains: anywhere in the field, upper and lower case (umlauts too) ignored.
    static Criterion contains(const QString &column, const QString &value) { return {column, Op::Contains, value}; }
    static Criterion dateEquals(const QString &column, const QDate &value) { return {column, Op::DateEquals, value}; }
};

// The client-side snapshot a window works on: all rows of one query, held
// compactly in memory, sorted in memory, written back row by row by key.
// Bookmarks are the 1-based positions of the rows in the unsorted result;
// they survive sort() and, for an unchanged table, requery().
class RecordSet {
public:
    RecordSet();
    ~RecordSet();
    RecordSet(RecordSet &&) noexcept;
    RecordSet &operator=(RecordSet &&) noexcept;

    // Opens "SELECT * FROM table"; writes go to that table by its key columns.
    void openTable(Connection &conn, const QString &table);
    // Opens any query read-only (search lists, pickers). `expectedRows`: about
    // how many rows will come, when the caller can tell; 0 when not.
    void openQuery(Connection &conn, const QString &sql, const QVariantList &params = {}, qint64 expectedRows = 0);
    // The same for rows another reader makes (a read again calls it again).
    void openRows(Connection &conn, std::function<std::unique_ptr<Cursor>()> read, qint64 expectedRows = 0);
    void close();
    bool isOpen() const;

    // Columns
    int columnCount() const;
    int columnIndex(const QString &name) const; // -1 when unknown, case-insensitive
    const ColumnInfo &column(int c) const;

    // Position
    int recordCount() const;
    bool bof() const;
    bool eof() const;
    bool hasCurrent() const { return !bof() && !eof(); }
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    int bookmark() const;            // of the current row; 0 when there is none
    bool gotoBookmark(int bookmark); // false when the row is not (any more) in the set
    int absolutePosition() const;    // 1-based position in the current order; 0 when none

    // Reading the current row. Text comes padded to the column width like a
    // fixed-width column; null reads as "" / 0 / invalid date / false.
    bool isNull(int c) const;
    QString text(int c) const;
    double number(int c) const;
    QDate date(int c) const;
    bool boolean(int c) const;
    QVariant value(int c) const;
    // The stored text without its trailing blanks, for reading many rows
    // without a QString per value (reports); empty when null or not text.
    std::string_view textBytes(int c) const;
    // A number for that text, the same for every row holding the same text,
    // 0 for null; -1 when the column keeps no such numbers (values that hardly
    // repeat). Lets a report convert each distinct text once.
    qint64 textKey(int c) const;
    bool isNull(const QString &col) const { return isNull(need(col)); }
    QString text(const QString &col) const { return text(need(col)); }
    double number(const QString &col) const { return number(need(col)); }
    QDate date(const QString &col) const { return date(need(col)); }
    bool boolean(const QString &col) const { return boolean(need(col)); }

    // Sorting by a comma-separated column list; stable, German order for text.
    void sort(const QString &columns); // throws DbError for an unknown column
    QString sortColumns() const;

    // Forward search from the current row (included). Leaves EOF when nothing matches.
    bool find(const Criterion &criterion);

    // A second view on the same rows, with its own position and filter.
    RecordSet clone() const;
    // Keeps only rows matching all criteria (in the current order); positions on the first.
    void filter(const std::vector<Criterion> &criteria);

    // Editing (table sets only)
    void addNew();
    bool isAdding() const;
    bool isEditing() const; // fields set on a stored row, not yet updated
    void setField(int c, const QVariant &value);
    void setField(const QString &col, const QVariant &value) { setField(need(col), value); }
    void update();        // throws DbError (ErrRowGone, ErrBadValue, ErrDuplicateKey, …)
    void cancelUpdate();  // abandons the pending new row or field changes
    void deleteCurrent(); // throws DbError; the cursor then stands on the gap
    // Re-reads all rows, keeps the sort; positions on the first row. When no
    // other connection has written since the last read (and this one only
    // through this set), the rows come from memory instead: the same result.
    void requery();
    // A second, read-only set of the same query, unsorted, as a fresh read
    // gives it; from memory like requery() when nothing was written meanwhile.
    RecordSet reread() const;

private:
    int need(const QString &col) const;
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orv::data
