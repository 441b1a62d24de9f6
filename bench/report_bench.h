#pragma once
#include <QString>
#include <vector>

namespace orv::reportdata {
struct TrainingsplanQuery;
}

// The training plan report at scale: the build of "Liste Trainingsplan" (all
// statuses, whole period, sorted by Bereich) against the raw sqlite3 read of
// the same join query, and the display window taking a 100,000-line text.
// Databases are created in `workDir`; results go to standard output. With
// `userSteps`, what a user waits for on each database as well.
void runReportBench(const QString &workDir, const std::vector<int> &entryCounts, bool userSteps);

// Courses × employees = `entries` training-plan entries over three years, in a new SQLite file.
void fillReportDatabase(const QString &path, int entries);

// The floor of a training plan list read table by table from the file at
// `path`: the plan's filtered scan and the two master tables, each
// statement's every column of every row read once with the raw library.
double rawReadApart(const QString &path, const orv::reportdata::TrainingsplanQuery &q);
