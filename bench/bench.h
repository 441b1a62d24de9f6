#pragma once
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

// Record set against the raw read, on SQLite and (ORV_TEST_PG_URI) PostgreSQL.
// Returns false when a figure misses its target.
bool runDataBench(const Options &options);

} // namespace orv::bench
