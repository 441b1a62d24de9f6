#pragma once
#include "data/backend.h"
#include "data/connection.h"
#include <QStringList>
#include <vector>

namespace orv::data::schema {

struct ColumnDef {
    const char *name;
    ColType type;
    int width; // characters for text; 0 for the others
};

struct TableDef {
    const char *name;
    std::vector<ColumnDef> columns;
    QStringList keyColumns;
};

const TableDef &kurs();
const TableDef &mitarbeiter();
const TableDef &trainingsplan();
const std::vector<const TableDef *> &tables();
const TableDef *findTable(const QString &name); // case-insensitive; nullptr when unknown
const ColumnDef *findColumn(const TableDef &t, const QString &name);

// The text as a fixed-width column holds it: padded with blanks to the
// width. Throws DbError(ErrBadValue) when it is longer than the column.
QString padded(const QString &text, int width);

// Creates the three tables in an empty database.
void create(Connection &conn);
// True when the three tables exist.
bool exists(Connection &conn);

} // namespace orv::data::schema
