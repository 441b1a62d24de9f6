#include "report_bench.h"
#include "user_bench.h"

#include "data/collation.h"
#include "data/connection.h"
#include "data/listtables.h"
#include "data/schema.h"
#include "data/sqlitebackend.h"
#include "reportdata/reportexport.h"
#include "reportdata/trainingsplanlist.h"
#include "reports/frmanzeige.h"
#include "ui/lineview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

using namespace orv;

namespace {

const QStringList bereiche = {QStringLiteral("Controlling"), QStringLiteral("Einkauf"),
                              QStringLiteral("Logistik"),    QStringLiteral("Qualitätssicherung"),
                              QStringLiteral("DUV Motoren"), QStringLiteral("Werkleitung")};

QByteArray pad(const QString &s, int width) { return s.leftJustified(width, QLatin1Char(' ')).toUtf8(); }

void check(int rc, sqlite3 *db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::abort();
    }
}

} // namespace

// Courses × employees = entries; filled with the raw library, in one transaction.
void fillReportDatabase(const QString &path, int entries)
{
    QFile::remove(path);
    data::createSqliteBackend(path);
    {
        data::Connection conn;
        conn.open(data::ConnectionTarget::sqliteFile(path));
        data::schema::create(conn);
    }
    const int courses = 500;
    const int employees = (entries + courses - 1) / courses;
    sqlite3 *db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db);
    sqlite3_exec(db, "PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO Kurs VALUES (?,?,?,?,?,?,?)", -1, &st, nullptr), db);
    for (int k = 0; k < courses; ++k) {
        const QByteArray v[] = {
            pad(QStringLiteral("K%1").arg(k, 4, 10, QLatin1Char('0')), 6), pad(QStringLiteral("IT"), 40),
            pad(QStringLiteral("Kursbeschreibung Nummer %1 mit Übungen").arg(k), 80),
            pad(QStringLiteral("AIE").mid(k % 3, 1), 1), pad(QStringLiteral("Referent Müller %1").arg(k % 17), 30)};
        for (int i = 0; i < 5; ++i)
            sqlite3_bind_text(st, i + 1, v[i].constData(), int(v[i].size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 6, 10.5 * (k % 40));
        sqlite3_bind_double(st, 7, 0.5 * (k % 30));
        check(sqlite3_step(st), db);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_prepare_v2(db, "INSERT INTO Mitarbeiter VALUES (?,?,?,?,?)", -1, &st, nullptr), db);
    for (int m = 0; m < employees; ++m) {
        const QByteArray v[] = {
            pad(QStringLiteral("Mitarbeiter %1, Jörg").arg(m, 5, 10, QLatin1Char('0')), 30),
            pad(QString::number(4000 + m % 300), 6), pad(QStringLiteral("Abt %1").arg(m % 20), 10),
            pad(QStringList{QStringLiteral("Ets"), QStringLiteral("I/C"), QStringLiteral("O")}[m % 3], 3),
            pad(bereiche[m % bereiche.size()], 30)};
        for (int i = 0; i < 5; ++i)
            sqlite3_bind_text(st, i + 1, v[i].constData(), int(v[i].size()), SQLITE_TRANSIENT);
        check(sqlite3_step(st), db);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO Trainingsplan (KursNr, Name, Prioritaet, Quelle, Datum_von, Datum_bis, "
                             "Rechnung, Beurteilung, Bemerkung, Status) VALUES (?,?,?,?,?,?,?,?,?,?)",
                             -1, &st, nullptr),
          db);
    int n = 0;
    for (int m = 0; m < employees && n < entries; ++m) {
        const QByteArray name = pad(QStringLiteral("Mitarbeiter %1, Jörg").arg(m, 5, 10, QLatin1Char('0')), 30);
        for (int k = 0; k < courses && n < entries; ++k, ++n) {
            const QByteArray nr = pad(QStringLiteral("K%1").arg(k, 4, 10, QLatin1Char('0')), 6);
            // Last year, this year and next year alike: the dialog's default
            // period, the current year, selects a third of the entries.
            const QDate von = QDate(QDate::currentDate().year() - 1, 1, 1).addDays(n % 1095);
            const QByteArray v = von.toString(Qt::ISODate).toUtf8(), b = von.addDays(2).toString(Qt::ISODate).toUtf8();
            const QByteArray prio = QByteArray::number(1 + n % 3), status = QByteArray::number(n % 4);
            sqlite3_bind_text(st, 1, nr.constData(), int(nr.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, name.constData(), int(name.size()), SQLITE_STATIC);
            sqlite3_bind_text(st, 3, prio.constData(), 1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 4, "ORV", 3, SQLITE_STATIC);
            sqlite3_bind_text(st, 5, v.constData(), int(v.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 6, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 7, n % 2);
            sqlite3_bind_int(st, 8, n % 5 == 0);
            const QByteArray bem = pad(QString(), 80);
            sqlite3_bind_text(st, 9, bem.constData(), int(bem.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 10, status.constData(), 1, SQLITE_TRANSIENT);
            check(sqlite3_step(st), db);
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

namespace {

int collateGerman(void *, int la, const void *a, int lb, const void *b)
{
    return data::germanCompare(std::string_view(static_cast<const char *>(a), size_t(la)),
                               std::string_view(static_cast<const char *>(b), size_t(lb)));
}

// The parameters bound as text, dates in ISO form, as the program's backend binds them.
void bindAsText(sqlite3_stmt *st, const QVariantList &params)
{
    int i = 1;
    for (const QVariant &p : params) {
        const QByteArray v =
            p.typeId() == QMetaType::QDate ? p.toDate().toString(Qt::ISODate).toUtf8() : p.toString().toUtf8();
        sqlite3_bind_text(st, i++, v.constData(), int(v.size()), SQLITE_TRANSIENT);
    }
}

// The floor: the same statement on the raw library, every column of every row read once.
double rawRead(const QString &path, const reportdata::TrainingsplanQuery &q, qint64 *rows)
{
    sqlite3 *db = nullptr;
    check(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), db);
    sqlite3_create_collation(db, "orv_de", SQLITE_UTF8, nullptr, collateGerman);
    QElapsedTimer t;
    t.start();
    QString sql = q.rows.sql();
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr), db);
    bindAsText(st, q.rows.params());
    qint64 n = 0, bytes = 0;
    double sum = 0;
    std::vector<data::Shown> shown;
    for (const data::ListColumn &c : data::trainingPlanList.columns)
        shown.push_back(c.shown);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < int(shown.size()); ++c) {
            if (shown[size_t(c)] == data::Shown::Number)
                sum += sqlite3_column_double(st, c);
            else if (shown[size_t(c)] == data::Shown::Mark)
                sum += sqlite3_column_int(st, c);
            else {
                const unsigned char *text = sqlite3_column_text(st, c);
                bytes += sqlite3_column_bytes(st, c) + (text ? text[0] : 0);
            }
        }
        ++n;
    }
    sqlite3_finalize(st);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    sqlite3_close(db);
    *rows = n;
    if (bytes < 0 || sum < 0)
        std::puts("");
    return ms;
}

reportdata::TrainingsplanSelection wholeList()
{
    reportdata::TrainingsplanSelection sel;
    sel.vonText = QStringLiteral("01.01.1900");
    sel.bisText = QStringLiteral("31.12.2999");
    sel.von = QDate(1900, 1, 1);
    sel.bis = QDate(2999, 12, 31);
    sel.sortierung = QStringLiteral("Bereich");
    return sel;
}

} // namespace

// The floor of the list read table by table: the plan's filtered scan and
// the two master tables, each statement's every column of every row read once.
double rawReadApart(const QString &path, const reportdata::TrainingsplanQuery &q)
{
    sqlite3 *db = nullptr;
    check(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), db);
    QElapsedTimer t;
    t.start();
    qint64 bytes = 0;
    double sum = 0;
    for (const data::ListQuery::TableRead &read : q.rows.tableReads()) {
        sqlite3_stmt *st = nullptr;
        check(sqlite3_prepare_v2(db, read.sql.toUtf8().constData(), -1, &st, nullptr), db);
        bindAsText(st, read.params);
        const int n = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < n; ++c) {
                if (sqlite3_column_type(st, c) == SQLITE_TEXT)
                    bytes += sqlite3_column_bytes(st, c) + sqlite3_column_text(st, c)[0];
                else
                    sum += sqlite3_column_double(st, c);
            }
        }
        sqlite3_finalize(st);
    }
    const double ms = double(t.nsecsElapsed()) / 1e6;
    sqlite3_close(db);
    if (bytes < 0 || sum < 0)
        std::puts("");
    return ms;
}

void runReportBench(const QString &workDir, const std::vector<int> &entryCounts, bool userSteps)
{
    QDir().mkpath(workDir);
    reportdata::ReportModel displayModel;
    for (const int entries : entryCounts) {
        const QString path = workDir + QStringLiteral("/report_bench_%1.mdb").arg(entries);
        QElapsedTimer t;
        t.start();
        fillReportDatabase(path, entries);
        std::printf("report: %d entries filled in %.1f s\n", entries, double(t.elapsed()) / 1000);

        data::Connection conn;
        conn.open(data::ConnectionTarget::sqliteFile(path));
        const auto sel = wholeList();
        const auto q = reportdata::trainingsplanQuery(sel, conn.backend());

        // Each measure the best of a few interleaved runs: the machine is shared.
        // The exports of a million rows take long enough to be measured once.
        const int runs = 3, exportRuns = entries <= 100000 ? 3 : 1;
        qint64 rows = 0;
        double floor = 1e300, floorApart = 1e300, build = 1e300, buildBar = 1e300;
        qsizetype chars = 0, charsBar = -1;
        int maximum = 0, last = 0;
        reportdata::ReportModel plain;
        for (int r = 0; r < runs; ++r) {
            floor = std::min(floor, rawRead(path, q, &rows));
            floorApart = std::min(floorApart, rawReadApart(path, q));
            plain = reportdata::ReportModel();
            t.restart();
            plain = reportdata::buildTrainingsplanList(conn, sel);
            build = std::min(build, double(t.nsecsElapsed()) / 1e6);
            chars = plain.body.size();
            if (entries != 100000)
                plain = reportdata::ReportModel();
            // As the dialog runs it: with the progress bar.
            reportdata::BuildProgress progress{[&](int max) { maximum = max; }, [&](int v) { last = v; }};
            t.restart();
            const reportdata::ReportModel withBar = reportdata::buildTrainingsplanList(conn, sel, progress);
            buildBar = std::min(buildBar, double(t.nsecsElapsed()) / 1e6);
            charsBar = withBar.body.size();
        }
        std::printf("report: %lld rows; raw sqlite3 read of the unsorted join %.0f ms, of its three tables apart "
                    "%.0f ms; build %.0f ms (%.2fx the join, %.2fx the tables); build with progress bar %.0f ms "
                    "(%.2fx the tables; target <= 1.5x); body %lld characters, %d/%d steps\n",
                    static_cast<long long>(rows), floor, floorApart, build, build / floor, build / floorApart, buildBar,
                    buildBar / floorApart, static_cast<long long>(chars), last, maximum);
        if (chars != charsBar)
            std::printf("report: the two builds differ!\n");

        // The export of the same list as "E&xport…" runs it: the rows, their
        // number for the progress dialog, the file renamed into place.
        for (const auto format : {reportdata::ExportFormat::Csv, reportdata::ExportFormat::Xlsx}) {
            const bool csv = format == reportdata::ExportFormat::Csv;
            const QString file =
                workDir + (csv ? QStringLiteral("/export_bench.csv") : QStringLiteral("/export_bench.xlsx"));
            double best = 1e300;
            qint64 exported = 0, steps = 0;
            for (int r = 0; r < exportRuns; ++r) {
                t.restart();
                const reportdata::ExportJob job = reportdata::trainingsplanExport(conn, sel);
                qint64 expected = -1;
                steps = 0;
                exported = reportdata::runExport(
                    conn, job, format, file, [&](qint64) { ++steps; }, [&](qint64 total) { expected = total; });
                best = std::min(best, double(t.nsecsElapsed()) / 1e6);
                if (expected != exported)
                    std::printf("report: export counted %lld rows but wrote %lld!\n", static_cast<long long>(expected),
                                static_cast<long long>(exported));
            }
            std::printf("report: export %s of %lld rows %.0f ms, %.2fx the build with progress count (target <= 2); "
                        "file %.1f MB, %lld progress steps\n",
                        csv ? "CSV " : "XLSX", static_cast<long long>(exported), best, best / buildBar,
                        double(QFileInfo(file).size()) / 1e6, static_cast<long long>(steps));
            QFile::remove(file);
        }
        if (entries == 100000)
            displayModel = plain;
        conn.close();
        if (userSteps && qobject_cast<QApplication *>(QCoreApplication::instance()))
            runUserBench(path, entries);
        if (!qEnvironmentVariableIsSet("ORV_BENCH_KEEP"))
            QFile::remove(path);
    }

    if (displayModel.body.isEmpty() || !qobject_cast<QApplication *>(QCoreApplication::instance())) {
        std::printf("report: display window skipped (needs a QApplication and the 100,000 build)\n");
        return;
    }
    QElapsedTimer t;
    t.start();
    reports::FrmAnzeige window;
    window.setReportText(displayModel.header, displayModel.body);
    window.show();
    QCoreApplication::processEvents();
    const double show = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    window.textBox()->find(QStringLiteral("keine teilnahme"), window.textBox()->size() / 2);
    const double find = double(t.nsecsElapsed()) / 1e6;
    std::printf("report: display window with %lld lines shown in %.0f ms; a search from the middle %.0f ms\n",
                static_cast<long long>(window.textBox()->lineCount()), show, find);
    window.close();
}
