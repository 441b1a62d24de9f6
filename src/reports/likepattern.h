#pragma once
#include <QString>

namespace orv::reports {

// LIKE patterns for the containment filters: the typed text folded to lower
// case (the column is folded the same way in SQL) with %, _ and the escape
// character itself taken literally. Use with " ESCAPE '!'".
QString likeContains(const QString &typed);
QString likeStartsWith(const QString &typed);

} // namespace orv::reports
