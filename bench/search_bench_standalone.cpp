// Stand-ins while the benchmark program has no main of its own: both are
// weak, so the shared bench/main.cpp replaces them when it is there. Delete
// this file then.
#include <QElapsedTimer>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

void runSearchBench(int rows);

// Seconds for a plain sqlite3 read of every column of every training-plan row.
__attribute__((weak)) double rawSqliteFloor(const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3 *db = nullptr;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(db, "SELECT * FROM Trainingsplan", -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "rawSqliteFloor: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    long long bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            bytes += sqlite3_column_type(st, c) == SQLITE_TEXT ? sqlite3_column_bytes(st, c)
                                                                : sqlite3_column_int64(st, c);
    sqlite3_finalize(st);
    sqlite3_close(db);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (bytes < 0)
        std::puts("");
    return seconds;
}

// orv_bench [rows ...]: the search benchmark at the given sizes (100,000 and 1,000,000 by default).
__attribute__((weak)) int main(int argc, char **argv)
{
    if (argc < 2) {
        runSearchBench(100000);
        runSearchBench(1000000);
    }
    for (int i = 1; i < argc; ++i)
        runSearchBench(std::atoi(argv[i]));
    return 0;
}
