#pragma once
#include <QString>
#include <string_view>
#include <vector>

namespace orv::data {

// German order as a user expects it: upper and lower case together, umlauts
// beside their base letters (Ä with A), ß as ss, blanks and punctuation before
// digits before letters. Used by the in-memory sort and by SQLite's ORDER BY,
// so both agree; PostgreSQL uses the ICU collation of the same rules.
int germanCompare(std::string_view a, std::string_view b); // UTF-8
int germanCompare(const QString &a, const QString &b);

// The positions of `texts` in German order, as germanCompare places them
// (equal texts next to each other), without comparing pair by pair through
// the full collator: that is what sorting many distinct values costs most.
std::vector<uint32_t> germanOrder(const std::vector<std::string_view> &texts); // UTF-8

// Lower case with umlauts folded as well (Ä → ä), for containment filters.
QString foldCase(const QString &s);

} // namespace orv::data
