// The import of a CSV file against the raw write of the same rows: 10,000
// employees and 100,000 training-plan entries, read, mapped, checked and
// written in one transaction, on SQLite and (ORV_TEST_PG_URI) PostgreSQL.
#include "data/batchinsert.h"
#include "data/connection.h"
#include "data/demodata.h"
#include "data/schema.h"
#include "data/valuelists.h"
#include "import/importer.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <minizip/zip.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using namespace orv;

struct Table {
    QByteArray csv;
    std::vector<QVariantList> rows; // as the columns take them
};

Table employees(int n)
{
    Table t;
    t.csv = "Nachname, Vorname;Kostenstelle;Abteilung;Kategorie;Bereich\r\n";
    const QStringList kat = data::lists::kategorie(), bereich = data::lists::bereichMitarbeiter();
    for (int i = 0; i < n; ++i) {
        const QString name = QStringLiteral("Name%1, Vorname").arg(i, 5, 10, QLatin1Char('0'));
        const QString k = kat[i % kat.size()], b = bereich[i % bereich.size()];
        t.csv +=
            (QStringLiteral("\"%1\";%2;Abt%3;%4;%5\r\n").arg(name).arg(100 + i % 50).arg(i % 7).arg(k.trimmed(), b))
                .toUtf8();
        t.rows.push_back({data::schema::padded(name, 30), data::schema::padded(QString::number(100 + i % 50), 6),
                          data::schema::padded(QStringLiteral("Abt%1").arg(i % 7), 10), data::schema::padded(k, 3),
                          data::schema::padded(b, 30)});
    }
    return t;
}

Table plan(int courses, int people)
{
    Table t;
    t.csv = "Kurs-Nr.;Name;Prio.;Quelle;Datum von;Datum bis;R;S;Status;Bemerkung\r\n";
    for (int c = 0; c < courses; ++c)
        for (int p = 0; p < people; ++p) {
            const QString kurs = QStringLiteral("K%1").arg(c),
                          name = QStringLiteral("Name%1, Vorname").arg(p, 5, 10, QLatin1Char('0'));
            const QDate von(2027, 1 + c % 12, 1 + p % 28);
            t.csv +=
                QStringLiteral("%1;\"%2\";%3;ORV;%4;%5;%6;;G;Bemerkung %7\r\n")
                    .arg(kurs, name)
                    .arg(1 + p % 3)
                    .arg(von.toString(QStringLiteral("dd.MM.yyyy")),
                         von.addDays(2).toString(QStringLiteral("dd.MM.yyyy")), p % 2 ? QStringLiteral("x") : QString())
                    .arg(p)
                    .toUtf8();
            t.rows.push_back({data::schema::padded(kurs, 6), data::schema::padded(name, 30), QString::number(1 + p % 3),
                              QStringLiteral("ORV"), von, von.addDays(2), p % 2 == 1, false,
                              data::schema::padded(QStringLiteral("Bemerkung %1").arg(p), 80), QStringLiteral("1")});
        }
    return t;
}

// Where the databases of one engine are made: files in a folder, or schemas
// of their own in the database of a PostgreSQL address.
struct Engine {
    const char *name;
    QString folder; // SQLite
    QString pgBase; // PostgreSQL
};

// A new database with the courses and employees the plan needs.
data::ConnectionTarget freshDatabase(const Engine &engine, const char *name, int courses, int people)
{
    data::ConnectionTarget target;
    if (engine.pgBase.isEmpty()) {
        const QString file = engine.folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".sqlite");
        QFile::remove(file);
        QDir(engine.folder + QStringLiteral("/Sicherung")).removeRecursively();
        target = data::ConnectionTarget::sqliteFile(file);
    } else {
        const QString schema = QStringLiteral("orv_bench_import_") + QLatin1String(name);
        data::Connection admin;
        admin.open(data::ConnectionTarget::postgres(engine.pgBase));
        admin.exec(QStringLiteral("SET client_min_messages TO warning"));
        admin.exec(QStringLiteral("DROP SCHEMA IF EXISTS ") + schema + QStringLiteral(" CASCADE"));
        admin.exec(QStringLiteral("CREATE SCHEMA ") + schema);
        const QChar sep = engine.pgBase.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
        target =
            data::ConnectionTarget::postgres(engine.pgBase + sep + QStringLiteral("options=-csearch_path%3D") + schema);
    }
    data::demo::initDatabase(target, data::demo::Content::Empty, 0);
    data::Connection conn;
    conn.open(target);
    data::Transaction tx(conn);
    data::BatchInsert kurs(conn, QStringLiteral("Kurs"),
                           {QStringLiteral("KursNr"), QStringLiteral("Rubrik"), QStringLiteral("Beschreibung"),
                            QStringLiteral("Art"), QStringLiteral("Kosten"), QStringLiteral("Dauer")},
                           50);
    for (int c = 0; c < courses; ++c)
        kurs.add({data::schema::padded(QStringLiteral("K%1").arg(c), 6), data::lists::rubrik().first(),
                  data::schema::padded(QStringLiteral("Kurs %1").arg(c), 80), QStringLiteral("I"), 10.0, 1.0});
    kurs.flush();
    data::BatchInsert ma(conn, QStringLiteral("Mitarbeiter"),
                         {QStringLiteral("Name"), QStringLiteral("Kategorie"), QStringLiteral("Bereich")}, 50);
    for (int p = 0; p < people; ++p)
        ma.add({data::schema::padded(QStringLiteral("Name%1, Vorname").arg(p, 5, 10, QLatin1Char('0')), 30),
                QStringLiteral("Ets"), data::schema::padded(QStringLiteral("Einkauf"), 30)});
    ma.flush();
    tx.commit();
    return target;
}

double rawWrite(const data::ConnectionTarget &target, const data::schema::TableDef &table, const Table &t)
{
    data::Connection conn;
    conn.open(target);
    QStringList names;
    for (const auto &c : table.columns)
        names << QLatin1String(c.name);
    QElapsedTimer timer;
    timer.start();
    data::Transaction tx(conn);
    data::BatchInsert insert(conn, QLatin1String(table.name), names, 50);
    for (const QVariantList &row : t.rows)
        insert.add(row);
    insert.flush();
    tx.commit();
    return double(timer.nsecsElapsed()) / 1e9;
}

// Seconds of the check alone (a dry run) and of the whole import.
std::pair<double, double> importWrite(const QString &folder, const data::ConnectionTarget &target,
                                      const data::schema::TableDef &table, const Table &t)
{
    const QString csv = folder + QStringLiteral("/import.csv");
    QFile f(csv);
    if (!f.open(QIODevice::WriteOnly) || f.write(t.csv) != t.csv.size())
        throw std::runtime_error("cannot write the CSV file");
    f.close();
    data::Connection conn;
    conn.open(target);
    std::pair<double, double> s;
    for (const bool write : {false, true}) {
        QElapsedTimer timer;
        timer.start();
        const import::Import imp(table, import::readFile(csv));
        const import::ImportResult r = imp.run(conn, import::Mode::AddOnly, write);
        (write ? s.second : s.first) = double(timer.nsecsElapsed()) / 1e9;
        if (r.added != qint64(t.rows.size()))
            throw std::runtime_error("the import refused rows");
    }
    return s;
}

// The kernel's figures for this process in MB: the high-water mark (reset
// by resetPeak) and what is resident now.
long statusMb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').value(0).toLong() / 1024;
    return -1;
}

// Resets the high-water mark and returns what is resident at that moment.
long resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
    return statusMb("VmRSS:");
}

// A CSV of `n` employees, written piece by piece: about 46 bytes a row.
qint64 writeEmployees(const QString &path, int n)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the CSV file");
    f.write("Nachname, Vorname;Kostenstelle;Abteilung;Kategorie;Bereich\r\n");
    const QStringList kat = data::lists::kategorie(), bereich = data::lists::bereichMitarbeiter();
    QByteArray chunk;
    for (int i = 0; i < n; ++i) {
        chunk += QStringLiteral("\"Name%1, Vorname\";%2;Abt%3;%4;%5\r\n")
                     .arg(i, 7, 10, QLatin1Char('0'))
                     .arg(100 + i % 50)
                     .arg(i % 7)
                     .arg(kat[i % kat.size()].trimmed(), bereich[i % bereich.size()])
                     .toUtf8();
        if (chunk.size() > (1 << 20) || i + 1 == n) {
            f.write(chunk);
            chunk.clear();
        }
    }
    return f.size();
}

// A small workbook whose one cell holds a gigabyte of text.
qint64 writeGigabyteCell(const QString &path)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        throw std::runtime_error("cannot write the workbook");
    const std::pair<const char *, QByteArray> parts[] = {
        {"xl/workbook.xml",
         R"(<workbook xmlns:r="r"><sheets><sheet name="L" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         R"(<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/></Relationships>)"}};
    for (const auto &[name, text] : parts) {
        zipOpenNewFileInZip64(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 1);
        zipWriteInFileInZip(zip, text.constData(), unsigned(text.size()));
        zipCloseFileInZip(zip);
    }
    zipOpenNewFileInZip64(zip, "xl/worksheets/sheet1.xml", nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 1);
    const QByteArray start = "<worksheet><sheetData><row r=\"1\"><c t=\"inlineStr\"><is><t>Name</t></is></c></row>"
                             "<row r=\"2\"><c t=\"inlineStr\"><is><t>";
    const QByteArray mb(1 << 20, 'x'), end = "</t></is></c></row></sheetData></worksheet>";
    zipWriteInFileInZip(zip, start.constData(), unsigned(start.size()));
    for (int i = 0; i < 1024; ++i)
        zipWriteInFileInZip(zip, mb.constData(), unsigned(mb.size()));
    zipWriteInFileInZip(zip, end.constData(), unsigned(end.size()));
    zipCloseFileInZip(zip);
    zipClose(zip, nullptr);
    return QFile(path).size();
}

// What the import holds while it reads, checks and writes a large file, as
// the kernel counts the resident memory (target: about 3 times the file).
void runImportMemory(const QString &folder)
{
    std::printf("Import memory (peak resident memory of each step above what the program held before it):\n");
    const QString csv = folder + QStringLiteral("/million.csv");
    const qint64 bytes = writeEmployees(csv, 1000000);
    const double fileMb = double(bytes) / double(1 << 20);
    const Engine sqlite = {"SQLite", folder, QString()};
    const data::ConnectionTarget target = freshDatabase(sqlite, "memory", 0, 0);
    for (const bool write : {false, true}) {
        // Each step in a process of its own, so that no step finds the heap another one left.
        int pipe[2];
        if (::pipe(pipe) != 0)
            throw std::runtime_error("no pipe");
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipe[0]);
            const long before = resetPeak();
            QElapsedTimer timer;
            timer.start();
            qint64 added = 0;
            try {
                data::Connection conn;
                conn.open(target);
                const import::Import imp(data::schema::mitarbeiter(), import::readFile(csv));
                added = imp.run(conn, import::Mode::AddOnly, write).added;
            } catch (...) {
                added = -1;
            }
            const double figures[3] = {double(timer.nsecsElapsed()) / 1e9, double(statusMb("VmHWM:") - before),
                                       double(added)};
            [[maybe_unused]] const ssize_t n = ::write(pipe[1], figures, sizeof figures);
            ::_exit(0);
        }
        ::close(pipe[1]);
        double figures[3] = {0, 0, -1};
        [[maybe_unused]] const ssize_t n = ::read(pipe[0], figures, sizeof figures);
        ::close(pipe[0]);
        ::waitpid(child, nullptr, 0);
        std::printf("  CSV of 1,000,000 employees (%.0f MB), %-22s %6.2f s  peak +%5.0f MB  %4.1f times the file  "
                    "(%.0f rows)\n",
                    fileMb, write ? "read, check, write:" : "read and check:", figures[0], figures[1],
                    figures[1] / fileMb, figures[2]);
        std::fflush(stdout);
    }
    QFile::remove(csv);

    const QString book = folder + QStringLiteral("/gigabyte.xlsx");
    const qint64 bookBytes = writeGigabyteCell(book);
    const long before = resetPeak();
    QElapsedTimer timer;
    timer.start();
    QString reason;
    try {
        import::readFile(book);
    } catch (const import::ImportError &e) {
        reason = e.reason();
    }
    std::printf("  workbook of %.1f MB with a cell of 1 GiB:  %6.2f s  peak +%5ld MB  (%s)\n",
                double(bookBytes) / double(1 << 20), double(timer.nsecsElapsed()) / 1e9, statusMb("VmHWM:") - before,
                reason.isEmpty() ? "read whole" : qPrintable(reason));
    std::fflush(stdout);
    QFile::remove(book);
}

} // namespace

void runImportBench(const QString &folder)
{
    QDir().mkpath(folder);
    std::printf("Import of a CSV file (read, map, check, back up, write in one transaction) against the raw write of "
                "the same rows in one transaction (best of 3; check: the same import as a dry run):\n");
    std::printf("%-10s %-14s %9s  %9s  %9s  %9s  %7s\n", "engine", "table", "rows", "raw s", "check s", "import s",
                "ratio");
    const struct {
        const data::schema::TableDef *table;
        Table rows;
    } runs[] = {{&data::schema::mitarbeiter(), employees(10000)}, {&data::schema::trainingsplan(), plan(100, 1000)}};
    std::vector<Engine> engines = {{"SQLite", folder, QString()}};
    if (const QString pg = qEnvironmentVariable("ORV_TEST_PG_URI"); !pg.isEmpty())
        engines.push_back({"PostgreSQL", folder, pg});
    else
        std::printf("  ORV_TEST_PG_URI is not set: no PostgreSQL figures\n");
    for (const Engine &engine : engines) {
        for (const auto &run : runs) {
            const bool isPlan = run.table == &data::schema::trainingsplan();
            const int courses = isPlan ? 100 : 0, people = isPlan ? 1000 : 0;
            double raw = 1e9, check = 1e9, imp = 1e9;
            try {
                for (int rep = 0; rep < 3; ++rep) {
                    raw = std::min(raw, rawWrite(freshDatabase(engine, "raw", courses, people), *run.table, run.rows));
                    const auto [c, i] =
                        importWrite(folder, freshDatabase(engine, "import", courses, people), *run.table, run.rows);
                    check = std::min(check, c);
                    imp = std::min(imp, i);
                }
            } catch (const std::exception &e) {
                std::printf("%-10s %-14s not measured: %s\n", engine.name, run.table->name, e.what());
                continue;
            }
            std::printf("%-10s %-14s %9zu  %9.3f  %9.3f  %9.3f  %7.1f\n", engine.name, run.table->name,
                        run.rows.rows.size(), raw, check, imp, imp / raw);
            std::fflush(stdout);
        }
    }
    try {
        runImportMemory(folder);
    } catch (const std::exception &e) {
        std::printf("Import memory not measured: %s\n", e.what());
    }
}
