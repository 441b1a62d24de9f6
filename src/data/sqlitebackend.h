#pragma once
#include "data/backend.h"

namespace orv::data {

// SQLite through the sqlite3 library; the file must exist.
std::unique_ptr<Backend> openSqliteBackend(const QString &path);
// Creates a new, empty database file (for orvdb); throws DbError when it exists.
std::unique_ptr<Backend> createSqliteBackend(const QString &path);

} // namespace orv::data
