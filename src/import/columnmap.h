#pragma once
#include "data/schema.h"

#include <QString>
#include <QStringList>
#include <vector>

// Which column of a file goes into which field of a table, found by the
// columns' headings.
namespace orv::import {

// The columns one field takes its value from: one column, or several joined
// (Nachname + ", " + Vorname). separators[i] stands before the value of
// columns[i] (separators[0] is unused); an empty separator joins nothing,
// and two columns for one field without one are refused.
struct FieldColumns {
    std::vector<int> columns;
    std::vector<QString> separators;
    bool operator==(const FieldColumns &) const = default;
    QString separator(size_t part) const { return part > 0 && part < separators.size() ? separators[part] : QString(); }
};
// Per field of the table.
using Mapping = std::vector<FieldColumns>;

// The heading as it is compared: lower case, umlauts and ß spelled out,
// everything but letters and digits dropped ("Kurs-Nr." -> "kursnr").
QString headingKey(const QString &heading);

// The field of `table` a heading stands for: the headings ORV's own lists
// write, the column names and their common variants; -1 for none.
int fieldForHeading(const data::schema::TableDef &table, const QString &heading);

// The proposal for a file's headings: a field gets the first column that
// names it; separate surname and first-name columns are joined into the name
// ("Nachname" + ", " + "Vorname").
Mapping mapHeadings(const data::schema::TableDef &table, const QStringList &headings);
// Per file column the field it goes to (-1: left out).
std::vector<int> fieldsOfColumns(const Mapping &mapping, qsizetype columns);

// What the user chose for some headings, kept from one import to the next:
// one line per heading, "key<TAB>column name<TAB>separator" ("-" as column
// name for a column left out), in the order of the parts of a joined field.
QString rememberMapping(const QString &before, const Mapping &mapping, const data::schema::TableDef &table,
                        const QStringList &headings);
// The mapping with what was remembered for these headings put in.
Mapping applyRemembered(Mapping mapping, const QString &remembered, const data::schema::TableDef &table,
                        const QStringList &headings);

// The fields a new row cannot do without; without a column for one of them
// nothing is imported.
std::vector<int> requiredFields(const data::schema::TableDef &table);

// "Kurs-Nr." for KursNr: the field's caption in the windows.
QString fieldCaption(const char *column);

} // namespace orv::import
