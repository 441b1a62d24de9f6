// What each fast path buys where users wait: the training plan's record set
// opened and sorted as its window does, and the current year's report into the
// display window, with every fast path on and with each one left out.
#include "bench.h"
#include "report_bench.h"

#include "data/connection.h"
#include "data/fastpaths.h"
#include "data/recordset.h"
#include "reportdata/trainingsplanlist.h"
#include "reports/frmanzeige.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>

using namespace orv;

namespace {

struct Way {
    const char *name;
    unsigned plain; // FastPath values left out
    double open = 1e300, report = 1e300;
};

double secondsOf(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

double openAndSort(const QString &file)
{
    QElapsedTimer t;
    t.start();
    data::Connection conn;
    conn.open(data::ConnectionTarget::sqliteFile(file));
    data::RecordSet rs;
    rs.openTable(conn, QStringLiteral("Trainingsplan"));
    rs.sort(QStringLiteral("KursNr,Name"));
    return secondsOf(t);
}

double currentYearReport(const QString &file)
{
    const int year = QDate::currentDate().year();
    reportdata::TrainingsplanSelection sel;
    sel.von = QDate(year, 1, 1);
    sel.bis = QDate(year, 12, 31);
    sel.vonText = sel.von.toString(QStringLiteral("dd.MM.yyyy"));
    sel.bisText = sel.bis.toString(QStringLiteral("dd.MM.yyyy"));
    QElapsedTimer t;
    t.start();
    data::Connection conn;
    conn.open(data::ConnectionTarget::sqliteFile(file));
    reportdata::ReportModel model = reportdata::buildTrainingsplanList(conn, sel);
    reports::FrmAnzeige window;
    window.setReportText(model.header, model.body);
    window.show();
    window.grab();
    return secondsOf(t);
}

} // namespace

void runFastPathBench(const QString &workDir, const std::vector<int> &entryCounts, int repetitions)
{
    QDir().mkpath(workDir);
    for (const int entries : entryCounts) {
        // A database made beforehand (orvdb init --rows N) is used as it is and kept.
        const bool own = qEnvironmentVariableIsSet("ORV_BENCH_DATABASE");
        const QString file = own ? qEnvironmentVariable("ORV_BENCH_DATABASE")
                                 : workDir + QStringLiteral("/fastpaths_%1.mdb").arg(entries);
        if (!own)
            fillReportDatabase(file, entries);
        Way ways[] = {{"all fast", 0},
                      {"prefault", unsigned(data::FastPath::Prefault)},
                      {"reader", unsigned(data::FastPath::ReadingThread)},
                      {"order", unsigned(data::FastPath::KeyOrder)},
                      {"all plain", data::kEveryFastPath}};
        double floor = 1e300;
        // Interleaved, the best of each: a shared machine's speed drifts.
        for (int r = 0; r < repetitions; ++r) {
            floor = std::min(floor, rawSqliteFloor(file));
            for (Way &w : ways) {
                data::setPlainPaths(w.plain);
                w.open = std::min(w.open, openAndSort(file));
                w.report = std::min(w.report, currentYearReport(file));
            }
        }
        data::setPlainPaths(0);
        // The targets the users wait for: the window within 1.2 times the raw
        // read and 0.15 s, the current year's report within 3 s.
        const double openTarget = 1.2 * floor + 0.15, reportTarget = 3.0;
        std::printf("fastpath: %d entries, raw read %.3f s; targets: window %.3f s, current year's report %.1f s\n",
                    entries, floor, openTarget, reportTarget);
        const Way &fast = ways[0];
        for (const Way &w : ways) {
            std::printf("fastpath: %-9s window %6.3f s  report %6.3f s", w.name, w.open, w.report);
            if (w.plain != 0)
                std::printf("   without it: window %+6.3f s (%+4.0f %% of its target), report %+6.3f s (%+4.0f %%)",
                            w.open - fast.open, 100 * (w.open - fast.open) / openTarget, w.report - fast.report,
                            100 * (w.report - fast.report) / reportTarget);
            std::printf("\n");
        }
        std::fflush(stdout);
        if (!own && !qEnvironmentVariableIsSet("ORV_BENCH_KEEP"))
            QFile::remove(file);
    }
}
