#pragma once
#include "data/schema.h"

#include <QString>
#include <QStringList>
#include <vector>

// Which column of a file goes into which field of a table, found by the
// columns' headings.
namespace orv::import {

// The heading as it is compared: lower case, umlauts and ß spelled out,
// everything but letters and digits dropped ("Kurs-Nr." -> "kursnr").
QString headingKey(const QString &heading);

// The field of `table` a heading stands for: the headings ORV's own lists
// write, the column names and their common variants; -1 for none.
int fieldForHeading(const data::schema::TableDef &table, const QString &heading);

// Per file column the field it goes to (-1: left out); a field gets the first
// column that names it.
std::vector<int> mapHeadings(const data::schema::TableDef &table, const QStringList &headings);

// The fields a new row cannot do without; without a column for one of them
// nothing is imported.
std::vector<int> requiredFields(const data::schema::TableDef &table);

// "Kurs-Nr." for KursNr: the field's caption in the windows.
QString fieldCaption(const char *column);

} // namespace orv::import
