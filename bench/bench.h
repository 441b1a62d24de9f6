#pragma once
#include "data/connection.h"

#include <QString>
#include <QStringList>
#include <vector>

// Seconds for a plain sqlite3 read of every column of every row of
// SELECT * FROM Trainingsplan in the given file, values copied out.
double rawSqliteFloor(const QString &file);
// The same through libpq in single-row mode.
double rawPostgresFloor(const QString &uri);

namespace orv::bench {

struct Options {
    std::vector<long long> sizes{10000, 100000, 1000000}; // training-plan rows on SQLite
    long long postgresRows = 100000;                      // 0: no PostgreSQL run
    QString folder;                                       // where the generated databases stay
    int repetitions = 3;                                  // the best of these counts
};

// The generated database of `rows` entries (demo::fillRows: rows/20
// employees, rows/400 courses in 100 series), on SQLite in `folder`, or in a
// schema of its own on the server `pgBase` when it is not empty; made once
// and kept for later runs.
data::ConnectionTarget generatedDatabase(const QString &folder, const QString &pgBase, long long rows);

// Record set against the raw read, on SQLite and (ORV_TEST_PG_URI) PostgreSQL.
// Returns false when a figure misses its target.
bool runDataBench(const Options &options);

} // namespace orv::bench
