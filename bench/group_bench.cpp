// Group work at a plant's size: the dialog "Für mehrere einplanen" over all
// employees (opening, filtering as a name is typed), 5,000 entries planned in
// one go against the raw insert of the same rows in one transaction, and the
// due list of all series, on SQLite and (ORV_TEST_PG_URI) PostgreSQL.
#include "data/batchinsert.h"
#include "data/connection.h"
#include "data/demodata.h"
#include "data/groupentries.h"
#include "data/schema.h"
#include "data/series.h"
#include "groups/frmeinplanen.h"
#include "reportdata/faelliglist.h"

#include "bench.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <stdexcept>

using namespace orv;

namespace {

double seconds(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

} // namespace

data::ConnectionTarget orv::bench::generatedDatabase(const QString &folder, const QString &pgBase, long long rows)
{
    data::ConnectionTarget target;
    if (pgBase.isEmpty()) {
        target = data::ConnectionTarget::sqliteFile(folder + QStringLiteral("/group_bench2_%1.mdb").arg(rows));
        if (QFile::exists(target.location))
            return target;
    } else {
        const QString schema = QStringLiteral("orv_bench_group2_%1").arg(rows);
        data::Connection admin;
        admin.open(data::ConnectionTarget::postgres(pgBase));
        admin.exec(QStringLiteral("SET client_min_messages TO warning"));
        const QChar sep = pgBase.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
        target = data::ConnectionTarget::postgres(pgBase + sep + QStringLiteral("options=-csearch_path%3D") + schema);
        // A schema left half made by a run that was stopped is made anew.
        if (admin.exists(QStringLiteral("SELECT 1 FROM information_schema.tables WHERE table_schema = ? AND "
                                        "table_name = 'orv_bench_complete'"),
                         {schema}))
            return target;
        admin.exec(QStringLiteral("DROP SCHEMA IF EXISTS ") + schema + QStringLiteral(" CASCADE"));
        admin.exec(QStringLiteral("CREATE SCHEMA ") + schema);
    }
    QElapsedTimer t;
    t.start();
    if (pgBase.isEmpty()) {
        // Made under another name first: a run stopped meanwhile leaves no half file to be taken later.
        const QString partial = target.location + QStringLiteral(".part");
        QFile::remove(partial);
        data::demo::initDatabase(data::ConnectionTarget::sqliteFile(partial), data::demo::Content::Rows, rows);
        if (!QFile::rename(partial, target.location))
            throw std::runtime_error("cannot rename the new database");
    } else {
        data::demo::initDatabase(target, data::demo::Content::Rows, rows);
        data::Connection conn;
        conn.open(target);
        conn.exec(QStringLiteral("CREATE TABLE orv_bench_complete (done int)"));
    }
    std::printf("  %lld entries made in %.1f s\n", rows, seconds(t));
    return target;
}

namespace {

constexpr int kGroup = 5000;

data::group::Entry values(const QString &kursNr)
{
    data::group::Entry e;
    e.kursNr = kursNr;
    e.von = QDate(2027, 3, 1);
    e.bis = QDate(2027, 3, 2);
    e.status = QStringLiteral("1");
    return e;
}

void newCourse(data::Connection &conn, const QString &kursNr)
{
    conn.exec(QStringLiteral("DELETE FROM Trainingsplan WHERE KursNr = ?"), {data::schema::padded(kursNr, 6)});
    conn.exec(QStringLiteral("DELETE FROM Kurs WHERE KursNr = ?"), {data::schema::padded(kursNr, 6)});
    conn.exec(QStringLiteral("INSERT INTO Kurs (KursNr, Rubrik, Beschreibung, Art, Kosten, Dauer) VALUES (?, ?, ?, "
                             "?, ?, ?)"),
              {data::schema::padded(kursNr, 6), data::schema::padded(QStringLiteral("Arbeitssicherheit"), 40),
               data::schema::padded(QStringLiteral("Unterweisung"), 80), QStringLiteral("I"), 0.0, 1.0});
}

// The same rows as the plan writes, inserted as they are in one transaction.
double rawInsert(data::Connection &conn, const QString &kursNr, const QStringList &names)
{
    QStringList columns;
    for (const auto &c : data::schema::trainingsplan().columns)
        columns << QLatin1String(c.name);
    QElapsedTimer t;
    t.start();
    data::Transaction tx(conn);
    data::BatchInsert insert(conn, QStringLiteral("Trainingsplan"), columns, 50);
    for (const QString &name : names)
        insert.add({data::schema::padded(kursNr, 6), data::schema::padded(name, 30), QStringLiteral(" "),
                    QStringLiteral("   "), QDate(2027, 3, 1), QDate(2027, 3, 2), false, false,
                    data::schema::padded(QString(), 80), QStringLiteral("1")});
    insert.flush();
    tx.commit();
    return seconds(t);
}

void measure(const char *engine, const data::ConnectionTarget &target, int repetitions)
{
    data::Connection conn;
    conn.open(target);

    // The dialog over every employee, and the list following a typed name.
    double open = 1e9, slowestKey = 0, bereich = 1e9;
    int employees = 0;
    for (int rep = 0; rep < repetitions; ++rep) {
        QElapsedTimer t;
        t.start();
        groups::FrmEinplanen dialog(conn, QString());
        dialog.show();
        QApplication::processEvents();
        open = std::min(open, seconds(t));
        const std::vector<data::group::Person> people = data::group::employees(conn);
        if (people.empty())
            throw std::runtime_error("the database has no employees");
        employees = int(people.size());
        const QString typed = people[people.size() / 2].name.left(6);
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("txtName"));
        for (int n = 1; n <= typed.size(); ++n) {
            t.restart();
            name->setText(typed.left(n));
            QApplication::processEvents();
            slowestKey = std::max(slowestKey, seconds(t));
        }
        name->clear();
        auto *area = dialog.findChild<QComboBox *>(QStringLiteral("cmbBereich"));
        t.restart();
        area->setCurrentIndex(1);
        QApplication::processEvents();
        bereich = std::min(bereich, seconds(t));
    }

    // 5,000 of them planned into a new course, against the raw insert.
    const std::vector<data::group::Person> people = data::group::employees(conn);
    QStringList names;
    for (int i = 0; i < kGroup && i < int(people.size()); ++i)
        names << people[size_t(i) * people.size() / kGroup].name;
    double raw = 1e9, preview = 1e9, plan = 1e9;
    for (int rep = 0; rep < repetitions; ++rep) {
        newCourse(conn, QStringLiteral("GRRAW"));
        raw = std::min(raw, rawInsert(conn, QStringLiteral("GRRAW"), names));
        newCourse(conn, QStringLiteral("GRPLAN"));
        QElapsedTimer t;
        t.start();
        const data::group::PlanResult p = data::group::previewPlan(conn, QStringLiteral("GRPLAN"), names);
        preview = std::min(preview, seconds(t));
        t.restart();
        const data::group::PlanResult r = data::group::plan(conn, values(QStringLiteral("GRPLAN")), names);
        plan = std::min(plan, seconds(t));
        if (r.planned.size() != names.size() || p.planned.size() != names.size())
            throw std::runtime_error("the plan skipped employees");
    }
    newCourse(conn, QStringLiteral("GRRAW"));
    newCourse(conn, QStringLiteral("GRPLAN"));
    conn.exec(QStringLiteral("DELETE FROM Kurs WHERE KursNr IN ('GRRAW', 'GRPLAN')"));

    // Who is due in any of the series within three months, and the report of it.
    double due = 1e9, report = 1e9;
    size_t dueRows = 0;
    for (int rep = 0; rep < repetitions; ++rep) {
        data::series::DueSelection sel;
        sel.today = QDate::currentDate();
        sel.until = sel.today.addMonths(3);
        QElapsedTimer t;
        t.start();
        dueRows = data::series::due(conn, sel).size();
        due = std::min(due, seconds(t));
        t.restart();
        reportdata::buildFaelligList(conn, sel);
        report = std::min(report, seconds(t));
    }

    std::printf("%-10s %9d  %7.3f  %9.3f  %8.3f  %7.3f  %9.3f  %7.3f  %5.1f\n", engine, employees, open, slowestKey,
                bereich, raw, preview, plan, plan / raw);
    std::printf("           due list of all %d series: %zu rows in %.3f s, the report %.3f s (target 1 s: %s)\n",
                int(data::series::codes(conn).size()), dueRows, due, report, report <= 1.0 ? "met" : "missed");
    std::printf("           targets: filter within 0.1 s per typed character (%s), %d entries within 2 s (%s)\n",
                slowestKey <= 0.1 ? "met" : "missed", kGroup, preview + plan <= 2.0 ? "met" : "missed");
    std::fflush(stdout);
}

} // namespace

void runGroupBench(const QString &folder, long long rows, int repetitions)
{
    QDir().mkpath(folder);
    std::printf("Group work on %lld entries (best of %d): the dialog \"Für mehrere einplanen\" opened over every "
                "employee, the slowest key of a typed name, a Bereich chosen; %d entries planned (preview, then "
                "the write in one transaction) against the raw insert of the same rows:\n",
                rows, repetitions, kGroup);
    std::printf("%-10s %9s  %7s  %9s  %8s  %7s  %9s  %7s  %5s\n", "engine", "employees", "open s", "per key s",
                "Bereich s", "raw s", "preview s", "plan s", "ratio");
    std::vector<std::pair<const char *, QString>> engines = {{"SQLite", QString()}};
    if (const QString pg = qEnvironmentVariable("ORV_TEST_PG_URI"); !pg.isEmpty())
        engines.emplace_back("PostgreSQL", pg);
    else
        std::printf("  ORV_TEST_PG_URI is not set: no PostgreSQL figures\n");
    for (const auto &[engine, pgBase] : engines) {
        try {
            measure(engine, bench::generatedDatabase(folder, pgBase, rows), repetitions);
        } catch (const std::exception &e) {
            std::printf("%-10s not measured: %s\n", engine, e.what());
        }
    }
}
