#pragma once
#include <QDate>
#include <QString>
#include <optional>

// Dates as users type them, read the same way everywhere: in the windows'
// fields, in the search, in the report dialogs and when a text is written
// into a date column.
namespace orv::data {

// The default locale's short date format with a four-digit year and two-digit
// day and month ("dd.MM.yyyy" in Germany).
QString shortDateFormat();

// A date in that format, or with a one-digit day or month, or with a two-digit
// year (00-29 in this century, 30-99 in the last); nullopt when the text is no
// valid date.
std::optional<QDate> parseDate(const QString &text);

} // namespace orv::data
