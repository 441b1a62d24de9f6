#pragma once
#include "data/connection.h"
#include "data/recordset.h"

#include <QStringList>
#include <QVariantList>

// The table statements the windows need beyond their record sets: the rows of
// a search or a detail lookup, existence checks, the training-plan entries that go with a course or an employee, and
// the rename of an employee. Table and column names are the schema's own; an
// unknown one is refused before any SQL is built.
namespace orv::data::tables {

// Whether the row is held until the transaction ends: against deletion and key
// changes by other workstations (on SQLite the write lock already does this).
enum class Hold { No, ForWrite };

// True when a row of the table has these values in these columns.
bool rowExists(Connection &conn, const QString &table, const QStringList &columns, const QVariantList &values,
               Hold hold = Hold::No);

// Opens the rows of the table, read-only: all of them, or with a column those
// whose column has the value.
void openRows(RecordSet &rows, Connection &conn, const QString &table, const QString &column = QString(),
              const QVariant &value = QVariant());

// The number of training-plan entries whose column (KursNr or Name) has the value.
qint64 countEntries(Connection &conn, const QString &column, const QVariant &value);
// Deletes the training-plan entries whose column (KursNr or Name) has the value.
qint64 deleteEntries(Connection &conn, const QString &column, const QVariant &value);

// Gives an employee a new name in the employee table and in the training plan.
// Both or neither: the caller holds the transaction.
void renameEmployee(Connection &conn, const QVariant &present, const QVariant &wanted);

} // namespace orv::data::tables
