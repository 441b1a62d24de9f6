// The qualification matrix at a plant's size: every employee of the
// generated database (50,000 at 1,000,000 entries) against 100 ticked
// courses and against its 100 series (each entry in one of them), built
// with its text, and exported as a workbook and as CSV; against the raw read
// of the training plan, on SQLite and (ORV_TEST_PG_URI) PostgreSQL.
#include "bench.h"

#include "data/matrix.h"
#include "reportdata/matrixlist.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

using namespace orv;

double seconds(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2)
                                       : QStringLiteral("?");
}

struct Figures {
    double build = 1e9, text = 1e9, xlsx = 1e9, csv = 1e9;
    size_t rows = 0, columns = 0, filled = 0;
};

Figures measure(data::Connection &conn, const data::matrix::Selection &sel, const QString &folder, int repetitions)
{
    Figures f;
    for (int rep = 0; rep < repetitions; ++rep) {
        QElapsedTimer t;
        t.start();
        auto m = std::make_shared<const data::matrix::Matrix>(data::matrix::build(conn, sel));
        f.build = std::min(f.build, seconds(t));
        t.restart();
        const reportdata::ReportModel model = reportdata::matrixReport(*m, sel);
        f.text = std::min(f.text, seconds(t));
        f.rows = m->rows.size();
        f.columns = m->columns.size();
        f.filled = size_t(std::count_if(m->cells.begin(), m->cells.end(), [](std::uint8_t c) { return c != 0; }));
        const reportdata::ExportJob job = reportdata::matrixExport(m, sel);
        for (const auto format : {reportdata::ExportFormat::Xlsx, reportdata::ExportFormat::Csv}) {
            const bool xlsx = format == reportdata::ExportFormat::Xlsx;
            const QString file = folder + (xlsx ? QStringLiteral("/matrix.xlsx") : QStringLiteral("/matrix.csv"));
            t.restart();
            reportdata::runExport(conn, job, format, file);
            double &best = xlsx ? f.xlsx : f.csv;
            best = std::min(best, seconds(t));
            QFile::remove(file);
        }
    }
    return f;
}

void run(const char *engine, const data::ConnectionTarget &target, const QString &folder, int repetitions)
{
    double floor = 1e9;
    for (int rep = 0; rep < repetitions; ++rep)
        floor = std::min(floor, target.kind == data::BackendKind::Postgres ? rawPostgresFloor(target.location)
                                                                           : rawSqliteFloor(target.location));
    data::Connection conn;
    conn.open(target);
    data::matrix::Selection courses;
    courses.today = QDate::currentDate();
    for (const data::matrix::Course &c : data::matrix::courses(conn)) {
        if (courses.kursNrs.size() == 100)
            break;
        courses.kursNrs << c.kursNr;
    }
    data::matrix::Selection series = courses;
    series.kursNrs.clear();
    series.series = true;
    for (const auto &[what, sel] : {std::pair{"100 courses", courses}, std::pair{"100 series", series}}) {
        const Figures f = measure(conn, sel, folder, repetitions);
        const double built = f.build + f.text;
        std::printf("%-10s %-11s %6zu x %3zu %8zu  %7.3f  %7.3f  %6.3f  %5.1f  %7.3f  %6.3f  %s\n", engine, what,
                    f.rows, f.columns, f.filled, floor, f.build, f.text, built / floor, f.xlsx, f.csv,
                    built <= 2.0 && f.xlsx <= 10.0 && f.csv <= 10.0 ? "met" : "missed");
        std::fflush(stdout);
    }
}

} // namespace

void runMatrixBench(const QString &folder, long long rows, int repetitions)
{
    QDir().mkpath(folder);
    std::printf("Qualification matrix on %lld entries (best of %d; load average %s): every employee against 100 "
                "ticked courses and against the 100 series; built (cells, then the text of the list), exported; "
                "ratio: built against the raw read of the training plan. Targets: built within 2 s, exported "
                "within 10 s:\n",
                rows, repetitions, qPrintable(loadAverage()));
    std::printf("%-10s %-11s %12s %8s  %7s  %7s  %6s  %5s  %7s  %6s  %s\n", "engine", "columns", "matrix", "cells",
                "floor s", "build s", "text s", "ratio", "xlsx s", "csv s", "targets");
    std::vector<std::pair<const char *, QString>> engines = {{"SQLite", QString()}};
    if (const QString pg = qEnvironmentVariable("ORV_TEST_PG_URI"); !pg.isEmpty())
        engines.emplace_back("PostgreSQL", pg);
    else
        std::printf("  ORV_TEST_PG_URI is not set: no PostgreSQL figures\n");
    for (const auto &[engine, pgBase] : engines) {
        try {
            run(engine, bench::generatedDatabase(folder, pgBase, rows), folder, repetitions);
        } catch (const std::exception &e) {
            std::printf("%-10s not measured: %s\n", engine, e.what());
        }
    }
}
