#pragma once
#include "data/backend.h"
#include "data/schema.h"

#include <QByteArray>
#include <QVariant>
#include <cstdint>
#include <optional>

// What a column stores for a value, decided once for every way in: the record
// windows, the group dialogs, the import and orvdb. Text is filled with blanks
// to the column's width, Kosten keeps two decimal places and Dauer one (the
// places of their entry fields, rounded half away from zero), an empty date
// or number is null.
namespace orv::data {

// The decimal places a number column keeps: Kosten 2, Dauer 1; -1 for a
// column whose numbers are kept as they are.
int placesOf(const QString &column);

// `value` in units of the last place (cents of Kosten, tenths of Dauer),
// rounded half away from zero. A value that single precision holds exactly
// is read as the shortest decimal that stands for it: a stored 1.005 is 1.01,
// not the 1.00499… of its binary form. Every output (print, display,
// clipboard, CSV, workbook) and every total counts these units.
qint64 amountUnits(double value, int places);
// The same units as a number again.
double roundedAmount(double value, int places);

// A value as the column stores it.
struct StoredValue {
    QVariant param; // bound to the statement
    bool null = true;
    QByteArray text; // Text: UTF-8 without the filling blanks
    double real = 0;
    int64_t integer = 0;
};

// Throws DbError(ErrBadValue) for a value the column does not take (too
// long, not a number, not a date, U+0000 in a text). Typed text is read in the
// user's format; a date also as ISO text. An empty text in a number or date
// column, and an invalid QDate, are null.
StoredValue storedValue(const ColumnInfo &column, const QVariant &value);
// The same for a column of the schema, as the statement takes it.
QVariant storedParam(const schema::ColumnDef &column, const QVariant &value);

// A date typed or stored as text: ISO "YYYY-MM-DD" or the user's short format.
std::optional<QDate> dateFromText(const QString &text);
// A number typed in the user's format, or with a decimal point.
std::optional<double> numberFromText(const QString &text);

} // namespace orv::data
