#pragma once
#include <QDate>
#include <QString>
#include <optional>
#include <string_view>

// Dates as users type them, read the same way everywhere: in the windows'
// fields, in the search, in the report dialogs and when a text is written
// into a date column.
namespace orv::data {

// The default locale's short date format with a four-digit year and two-digit
// day and month ("dd.MM.yyyy" in Germany).
QString shortDateFormat();

// `date` in that format: the text QDate::toString gives with it, made
// without the locale's formatter where the format allows.
QString shortDateText(const QDate &date);

// A date in that format, or with a one-digit day or month, or with a two-digit
// year (00-29 in this century, 30-99 in the last); nullopt when the text is no
// valid date.
std::optional<QDate> parseDate(const QString &text);

// A date as both engines hand it out, "YYYY-MM-DD" (a time part after it is
// ignored), as a Julian day number; 0 when the text is no such date.
qint64 julianDayFromIso(std::string_view text);

} // namespace orv::data
