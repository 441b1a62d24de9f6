#pragma once
#include "data/connection.h"

#include <QString>
#include <vector>

// The server's log of changed keys (schema version 2 on PostgreSQL): what a
// window asks after a save instead of reading its whole table again. A mark
// is the server's snapshot taken before a read; the log then names every key
// that another session's transaction changed and that the snapshot did not
// see, in whatever order the transactions committed.
namespace orv::data::changelog {

// One changed row's key, without its trailing blanks; `second` is empty for
// a table with a key of one column.
struct Key {
    QString first, second;
    bool operator==(const Key &) const = default;
};

// The mark for a read that follows; empty when the database keeps no log
// this user may read (then every re-read reads the whole table).
QString mark(Connection &conn);

// Clears away entries older than a day (once a run is enough); a database
// without a log is left alone. Throws DbError.
void tidy(Connection &conn);

struct Since {
    // The log cannot tell (entries cleared away, the table emptied at once or
    // dropped, more keys than `limit`): the table is to be read anew.
    bool lost = true;
    QString mark; // for the next question
    std::vector<Key> keys;
};

// What other sessions changed in `table` since `mark`. Throws DbError.
Since since(Connection &conn, const QString &table, const QString &mark, int limit);

} // namespace orv::data::changelog
