#pragma once
#include <QString>

namespace orv::data {

// What an SQLite result code (primary or extended) means to the user, in
// German; the connections and the backups say the same. A code without a
// sentence of its own gets a general one with SQLite's `detail` after it.
QString sqliteMessage(int code, const char *detail);

} // namespace orv::data
