#pragma once
#include "data/connection.h"
#include "data/schema.h"

#include <QVariantList>
#include <functional>
#include <memory>

// The statements of an import: what it reads of a table before the rows are
// checked, and how the accepted rows go in, all in the caller's transaction.
namespace orv::data::importstore {

// The fields an import of the table takes: the table's own columns, and for
// the courses their series and validity ("Reihe", "Gueltigkeit", kept in
// Kursreihe) after them. Every function below takes these fields.
const schema::TableDef &importFields(const schema::TableDef &table);

// On PostgreSQL nobody writes the table, nor deletes a course or an employee
// a plan entry needs, until the transaction ends. SQLite's write transaction
// holds the whole file already.
void holdTables(Connection &conn, const schema::TableDef &table);

// Every stored row: its key columns only, or all fields in their order.
// Texts come without their filling blanks, dates as QDate (invalid for none),
// yes/no as bool, numbers as double, the months as int (null for none).
void readRows(Connection &conn, const schema::TableDef &table, bool wholeRows,
              const std::function<void(const QVariantList &)> &each);
// One text column of a table (the courses' numbers, the employees' names), without filling blanks.
void readColumn(Connection &conn, const QString &table, const QString &column,
                const std::function<void(const QString &)> &each);

// Writes the accepted rows: new rows in batches; changed rows into a table of
// their own first and from there into the table in one statement, which writes
// only the columns each row changes (a statement per row takes minutes on a
// server). Values as the import read them; the columns store them by the
// one rule for all ways in (padding, places, empty date). A course's series
// entry is written whole when a field of it changes, and removed when both
// are empty.
class RowWriter {
public:
    RowWriter(Connection &conn, const schema::TableDef &table);
    ~RowWriter();
    void add(const QVariantList &values);
    void change(const QVariantList &values, const std::vector<bool> &changed);
    void finish();

private:
    QVariantList stored(const QVariantList &values) const;

    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orv::data::importstore
