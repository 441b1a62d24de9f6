// orv_bench: the data layer's figures, then the other subsystems' benchmarks.
//   orv_bench [--max N] [--sizes N,N,...] [--pg-rows N] [--reps K] [--dir FOLDER] [--only PART]
#include "bench.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <cstdio>
#include <exception>

#include "report_bench.h"
#include "user_bench.h"

// The search dialog over the training plan's record set at `rows` entries.
void runSearchBench(int rows);
// The import of 10,000 employees and 100,000 plan entries against the raw write.
void runImportBench(const QString &folder);
// Group planning over all employees of a database of `rows` entries.
void runGroupBench(const QString &folder, long long rows, int repetitions);
// The qualification matrix of every employee of a database of `rows` entries.
void runMatrixBench(const QString &folder, long long rows, int repetitions);
void runLinkBench(const QString &pgBase, long long rows);
// Each fast path left out in turn, where users wait.
void runFastPathBench(const QString &workDir, const std::vector<int> &entryCounts, int repetitions);

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: orv_bench [--max N] [--sizes N,N,...] [--pg-rows N] [--reps K] [--dir FOLDER] [--only PART]\n"
                 "  --max N       only sizes up to N training-plan rows (default sizes 10000,100000,1000000)\n"
                 "  --sizes ...   the SQLite sizes to measure\n"
                 "  --pg-rows N   rows for the PostgreSQL run (default 100000, 0: none; needs ORV_TEST_PG_URI)\n"
                 "  --reps K      repetitions, the best counts (default 3)\n"
                 "  --dir FOLDER  where the generated databases stay between runs (default: temp/orv-bench)\n"
                 "  --only PART   only one part: data, search, report, user, import, fastpath, group, matrix or link\n"
                 "                (link: PostgreSQL through a counting, delaying proxy; default: "
                 "all)\n");
    return 2;
}

bool toCount(const QString &s, long long &value)
{
    bool ok = false;
    value = s.toLongLong(&ok);
    return ok && value >= 0;
}

} // namespace

int main(int argc, char **argv)
{
    // The search and report benchmarks build real dialogs; without a display they draw offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ORV"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    orv::bench::Options options;
    long long maxRows = -1;
    QString only;
    const QStringList args = QApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        long long n = 0;
        if (a == QStringLiteral("--max") && hasValue && toCount(args.at(i + 1), n)) {
            maxRows = n;
        } else if (a == QStringLiteral("--sizes") && hasValue) {
            options.sizes.clear();
            for (const QString &part : args.at(i + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                if (!toCount(part, n))
                    return usage();
                options.sizes.push_back(n);
            }
        } else if (a == QStringLiteral("--pg-rows") && hasValue && toCount(args.at(i + 1), n)) {
            options.postgresRows = n;
        } else if (a == QStringLiteral("--reps") && hasValue && toCount(args.at(i + 1), n) && n > 0) {
            options.repetitions = int(n);
        } else if (a == QStringLiteral("--dir") && hasValue) {
            options.folder = args.at(i + 1);
        } else if (a == QStringLiteral("--only") && hasValue
                   && QStringList{QStringLiteral("data"), QStringLiteral("search"), QStringLiteral("report"),
                                  QStringLiteral("import"), QStringLiteral("fastpath"), QStringLiteral("user"),
                                  QStringLiteral("group"), QStringLiteral("matrix"), QStringLiteral("link")}
                          .contains(args.at(i + 1))) {
            only = args.at(i + 1);
        } else {
            return usage();
        }
        ++i;
    }
    if (maxRows >= 0) {
        std::erase_if(options.sizes, [&](long long n) { return n > maxRows; });
        if (options.postgresRows > maxRows)
            options.postgresRows = 0;
    }

    const QString folder =
        options.folder.isEmpty() ? QDir::temp().filePath(QStringLiteral("orv-bench")) : options.folder;
    auto part = [&](const char *name) { return only.isEmpty() || only == QLatin1String(name); };
    bool good = true;
    try {
        if (part("data"))
            good = orv::bench::runDataBench(options);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "orv_bench: %s\n", e.what());
        return 1;
    }

    // Further benchmarks, at the sizes from 100,000 up.
    std::vector<int> large;
    for (long long rows : options.sizes)
        if (rows >= 100000)
            large.push_back(int(rows));
    std::printf("\n");
    for (int rows : large)
        if (part("search"))
            runSearchBench(rows);
    std::printf("\n");
    if (!large.empty() && part("report"))
        runReportBench(folder, large, only.isEmpty());
    if (only == QLatin1String("user") && qEnvironmentVariableIsSet("ORV_BENCH_DATABASE")) {
        // A database of the user's own making (orvdb init --rows N, N given
        // by --sizes), used as it is and kept.
        for (int rows : large)
            runUserBench(qEnvironmentVariable("ORV_BENCH_DATABASE"), rows);
    } else if (only == QLatin1String("user")) {
        for (int rows : large) {
            const QString file = folder + QStringLiteral("/user_bench_%1.mdb").arg(rows);
            fillReportDatabase(file, rows);
            runUserBench(file, rows);
            QFile::remove(file);
        }
    }
    if (!large.empty() && part("fastpath"))
        runFastPathBench(folder, large, options.repetitions);
    if (part("import"))
        runImportBench(folder + QStringLiteral("/import"));
    if (!large.empty() && part("group"))
        runGroupBench(folder, large.back(), options.repetitions);
    if (!large.empty() && part("matrix"))
        runMatrixBench(folder, large.back(), options.repetitions);
    // Needs a server: only when asked for, at --pg-rows entries.
    if (only == QLatin1String("link")) {
        if (qEnvironmentVariableIsEmpty("ORV_TEST_PG_URI") || options.postgresRows <= 0) {
            std::fprintf(stderr, "orv_bench: --only link needs ORV_TEST_PG_URI and --pg-rows above 0\n");
            return 1;
        }
        runLinkBench(qEnvironmentVariable("ORV_TEST_PG_URI"), options.postgresRows);
    }
    (void)good; // misses are printed above; the run itself succeeded
    return 0;
}
