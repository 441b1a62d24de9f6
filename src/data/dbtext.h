#pragma once
#include <QString>
#include <string_view>

namespace orv::data {

// Stored text as it is. QString::fromUtf8 drops a leading byte-order mark,
// and a value that begins with one (pasted from a file) must still be shown,
// compared and addressed by what is stored.
QString fromDbText(std::string_view bytes);

// Characters as the database counts them (code points), not UTF-16 units.
qsizetype characterCount(const QString &s);
// The first `count` characters; never ends inside a surrogate pair.
QString leftCharacters(const QString &s, qsizetype count);

} // namespace orv::data
