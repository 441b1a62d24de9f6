#pragma once
#include <QString>
#include <string_view>

namespace orv::data {

// German order as a user expects it: upper and lower case together, umlauts
// beside their base letters (Ä with A), ß as ss, blanks and punctuation before
// digits before letters. Used by the in-memory sort and by SQLite's ORDER BY,
// so both agree; PostgreSQL uses the ICU collation of the same rules.
int germanCompare(std::string_view a, std::string_view b); // UTF-8
int germanCompare(const QString &a, const QString &b);

// Lower case with umlauts folded as well (Ä → ä), for containment filters.
QString foldCase(const QString &s);

} // namespace orv::data
