// The program's own checks of its data: killed in the middle of writes, two
// workstations on one database, and hostile input through every write path.
// Counts for long runs: ORV_CRASH_KILLS, ORV_WORKSTATION_OPS, ORV_HOSTILE_CASES.
#include "data/collation.h"
#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/tables.h"
#include "reportdata/trainingsplanlist.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QProcess>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <thread>

using namespace orv::data;
using orv::data::schema::padded;
using orv::data::tables::Hold;
using orv::data::tables::rowExists;

namespace orv::test {
namespace {

int countFromEnv(const char *name, int normal)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue(name, &ok);
    return ok && n > 0 ? n : normal;
}

QString textAt(Cursor &cur, int c) { return fromDbText(cur.textBytes(c)); }

// Whether a fixed-width column takes the text: no U+0000, and no more
// characters than its width once the blanks that would fill it are left aside.
bool fitsColumn(const QString &text, int width)
{
    if (text.contains(QChar(0)))
        return false;
    QString t = text;
    while (characterCount(t) > width && t.endsWith(QLatin1Char(' ')))
        t.chop(1);
    return characterCount(t) <= width;
}

// A few whole characters from somewhere in the text.
QString pieceOf(const QString &s, std::mt19937 &rng)
{
    const QList<uint> chars = s.toUcs4();
    const qsizetype from = qsizetype(rng() % 8), n = 1 + qsizetype(rng() % 12);
    const QList<uint> part = chars.mid(from, n);
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(part.constData()), part.size());
}

// The number of entries without their course or employee, as text.
QString orphans(Connection &conn)
{
    return firstText(conn, u"SELECT COUNT(*) FROM Trainingsplan WHERE KursNr NOT IN (SELECT KursNr FROM Kurs) "
                           "OR Name NOT IN (SELECT Name FROM Mitarbeiter)"_s);
}

// ---------------------------------------------------------------- crash safety

// The rows the checks compare: courses with their descriptions, employees, entries.
QStringList readState(Connection &conn)
{
    QStringList s;
    for (const QString &sql :
         {u"SELECT KursNr, Beschreibung FROM Kurs ORDER BY KursNr"_s, u"SELECT Name FROM Mitarbeiter ORDER BY Name"_s,
          u"SELECT KursNr, Name FROM Trainingsplan ORDER BY KursNr, Name"_s})
        for (auto cur = conn.query(sql); cur->next();)
            s << textAt(*cur, 0).trimmed() + u'/' + (cur->columnCount() > 1 ? textAt(*cur, 1).trimmed() : QString());
    return s;
}

QString employeeName(int e, bool renamed)
{
    return (renamed ? u"Mitarbeiterin, "_s : u"Mitarbeiter, "_s) + QString::number(e);
}

// One step of the writing child, the way the windows write: a save, a cascade
// delete, a new course with its entries, or a rename. Drawn from the seed
// alone, so that the parent can replay what was acknowledged.
void step(Connection &conn, std::mt19937 &rng, int seed, int n)
{
    const unsigned r = rng() % 100;
    const QString kursNr = u"K%1"_s.arg(rng() % 6), tag = u"%1-%2"_s.arg(seed).arg(n);
    const int employee = int(rng() % 6);
    RecordSet rs;
    rs.openTable(conn, u"Kurs"_s);
    const bool found = rs.find(Criterion::equals(u"KursNr"_s, kursNr));
    if (r < 45) {
        if (found) {
            rs.setField(u"Beschreibung"_s, u"S"_s + tag);
            rs.update();
        }
        return;
    }
    Transaction tx(conn);
    if (r < 60 && found) {
        rs.deleteCurrent();
        tables::deleteEntries(conn, u"KursNr"_s, kursNr);
    } else if (r >= 60 && r < 80 && !found) {
        rs.addNew();
        for (auto [col, value] :
             {std::pair{"KursNr", kursNr}, {"Rubrik", u"IT"_s}, {"Beschreibung", u"A"_s + tag}, {"Art", u"I"_s}})
            rs.setField(QLatin1String(col), value);
        rs.update();
        conn.exec(u"INSERT INTO Trainingsplan (KursNr, Name, Status) SELECT ?, Name, '0' FROM Mitarbeiter"_s, {kursNr});
    } else if (r >= 80) {
        const bool renamed = !rowExists(conn, u"Mitarbeiter"_s, {u"Name"_s}, {employeeName(employee, false)});
        tables::renameEmployee(conn, employeeName(employee, renamed), employeeName(employee, !renamed));
    }
    tx.commit();
}

// Six courses and employees, every employee booked on every course.
Connection createStart(const QString &file)
{
    Connection conn = newDatabase(file);
    for (int k = 0; k < 6; ++k) {
        conn.exec(u"INSERT INTO Kurs (KursNr, Rubrik, Beschreibung, Art) VALUES (?, 'IT', 'neu', 'I')"_s,
                  {u"K%1"_s.arg(k)});
        conn.exec(u"INSERT INTO Mitarbeiter (Name, Kategorie, Bereich) VALUES (?, 'Ets', 'Einkauf')"_s,
                  {employeeName(k, false)});
    }
    conn.exec(u"INSERT INTO Trainingsplan (KursNr, Name, Status) SELECT KursNr, Name, '0' FROM Kurs, Mitarbeiter"_s);
    return conn;
}

// The child: writes until it is killed, and says after each step that it is done.
TEST(CrashSafetyChild, Run)
{
    const QString file = qEnvironmentVariable("ORV_CRASH_CHILD");
    if (file.isEmpty())
        GTEST_SKIP() << "runs only as the child of CrashSafety";
    const int seed = qEnvironmentVariableIntValue("ORV_CRASH_SEED");
    Connection conn;
    conn.open(ConnectionTarget::sqliteFile(file));
    std::mt19937 rng(seed);
    for (int n = 1;; ++n) {
        step(conn, rng, seed, n);
        std::printf("A %d\n", n);
        std::fflush(stdout);
    }
}

class CrashSafety : public OrvTest {};

// Saves, cascade deletes and renames killed at random moments: the file stays
// whole, nothing is half done, and every acknowledged step is there. The same
// steps replayed without a kill on a second file say what must be there.
TEST_F(CrashSafety, KilledWritersLeaveAWholeDatabase)
{
    const int kills = countFromEnv("ORV_CRASH_KILLS", 30);
    const QString file = tempPath() + u"/orv.mdb"_s;
    createStart(file).close();
    Connection conn, replay = createStart(tempPath() + u"/nachgespielt.mdb"_s);
    std::mt19937 timing(4711);
    int acknowledged = 0;
    for (int round = 1; round <= kills; ++round) {
        SCOPED_TRACE(u"round %1"_s.arg(round).toStdString());
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"ORV_CRASH_CHILD"_s, file);
        env.insert(u"ORV_CRASH_SEED"_s, QString::number(round));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {u"--gtest_filter=CrashSafetyChild.Run"_s});
        ASSERT_TRUE(child.waitForStarted());
        // Killed once it writes, somewhere in its first steps.
        QByteArray out;
        while (!out.contains("\nA ") && child.waitForReadyRead(30000))
            out += child.readAllStandardOutput();
        ASSERT_TRUE(out.contains("\nA ")) << "the child wrote nothing: " << out.toStdString();
        std::this_thread::sleep_for(std::chrono::microseconds(timing() % 30000));
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        out += child.readAllStandardOutput();
        int acks = 0;
        for (const QByteArray &line : out.split('\n'))
            if (line.startsWith("A "))
                acks = line.mid(2).toInt();
        acknowledged += acks;

        conn.open(ConnectionTarget::sqliteFile(file)); // rolls back what the child left unfinished
        ASSERT_EQ(firstText(conn, u"PRAGMA integrity_check"_s), u"ok"_s);
        ASSERT_EQ(orphans(conn), u"0"_s);
        std::mt19937 rng(round);
        for (int n = 1; n <= acks; ++n)
            step(replay, rng, round, n);
        const QStringList found = readState(conn);
        conn.close();
        if (found != readState(replay)) {
            step(replay, rng, round, acks + 1); // the step under way may have committed
            ASSERT_EQ(found, readState(replay)) << "the database is neither at step " << acks << " nor at the next";
        }
    }
    EXPECT_GT(acknowledged, kills); // the kills fell among the writes, not before them
}

// ---------------------------------------------------------------- two workstations

class TwoWorkstations : public DbTest {};

// Two workstations edit, delete and add on the same rows at the same time.
// Their edits of different columns both stay, nothing waits into an error,
// and no entry loses its parents.
TEST_P(TwoWorkstations, ConcurrentEditsKeepEachOthersChanges)
{
    const int ops = countFromEnv("ORV_WORKSTATION_OPS", 150);
    // K0-K4 are edited only; D0-D4 are also deleted and added again.
    for (int i = 0; i < 5; ++i) {
        addKurs(u"K%1"_s.arg(i), u"IT"_s, u"start"_s, u"I"_s);
        addKurs(u"D%1"_s.arg(i), u"IT"_s, u"start"_s, u"I"_s);
        addMitarbeiter(u"Name, %1"_s.arg(i), QString(), QString(), u"Ets"_s, u"Einkauf"_s);
    }
    struct Side {
        QString text, number;            // the columns this workstation edits
        std::map<QString, QString> last; // KursNr → "text/number" of its last save
        int writes = 0;
        QStringList failures;
    } sides[2] = {{u"Beschreibung"_s, u"Kosten"_s, {}, 0, {}}, {u"Referent"_s, u"Dauer"_s, {}, 0, {}}};

    auto work = [&](Side &side, unsigned seed) {
        std::mt19937 rng(seed);
        Connection conn = connect();
        RecordSet rs;
        rs.openTable(conn, u"Kurs"_s);
        for (int i = 0; i < ops; ++i) {
            const unsigned r = rng() % 100;
            const QString nr = u"%1%2"_s.arg(r < 60 ? 'K' : 'D').arg(rng() % 5);
            const QString name = u"Name, %1"_s.arg(rng() % 5);
            const QString text = u"%1-%2"_s.arg(seed).arg(i);
            const double number = i % 1000 + 0.5;
            try {
                if (r < 75) {
                    // A save as the window does it: every field of its (perhaps stale) copy.
                    if (rng() % 3 == 0)
                        rs.requery();
                    rs.moveFirst();
                    if (!rs.find(Criterion::equals(u"KursNr"_s, nr)))
                        continue;
                    for (int c = 0; c < rs.columnCount(); ++c)
                        rs.setField(c, rs.column(c).name == side.text     ? QVariant(text)
                                       : rs.column(c).name == side.number ? QVariant(number)
                                                                          : rs.value(c));
                    try {
                        rs.update();
                    } catch (const DbError &e) {
                        rs.cancelUpdate();
                        rs.requery();
                        if (e.number() != ErrRowGone) // the other one deleted the row: the window tells so
                            throw;
                        continue;
                    }
                    ++side.writes;
                    if (nr.startsWith(QLatin1Char('K')))
                        side.last[nr] = text + u'/' + QString::number(number);
                    continue;
                }
                Transaction tx(conn);
                if (r < 85) {
                    conn.exec(u"DELETE FROM Kurs WHERE KursNr = ?"_s, {nr});
                    tables::deleteEntries(conn, u"KursNr"_s, nr);
                } else if (r < 90) {
                    if (!rowExists(conn, u"Kurs"_s, {u"KursNr"_s}, {nr}))
                        conn.exec(
                            u"INSERT INTO Kurs (KursNr, Rubrik, Beschreibung, Art) VALUES (?, 'IT', 'neu', 'I')"_s,
                            {nr});
                } else if (rowExists(conn, u"Kurs"_s, {u"KursNr"_s}, {nr}, Hold::ForWrite)
                           && rowExists(conn, u"Mitarbeiter"_s, {u"Name"_s}, {name}, Hold::ForWrite)
                           && !rowExists(conn, u"Trainingsplan"_s, {u"KursNr"_s, u"Name"_s}, {nr, name})) {
                    // A new entry as the training plan window saves it: checks and write in one unit.
                    conn.exec(u"INSERT INTO Trainingsplan (KursNr, Name, Status) VALUES (?, ?, '0')"_s, {nr, name});
                }
                tx.commit();
            } catch (const DbError &e) {
                // Both may add the same entry at once; the key refuses the second. Anything else is a fault.
                if (e.number() != ErrDuplicateKey)
                    side.failures << e.message(QString());
            }
        }
    };
    std::thread other([&] { work(sides[1], 2); });
    work(sides[0], 1);
    other.join();

    for (const Side &s : sides) {
        EXPECT_EQ(s.failures, QStringList());
        EXPECT_GT(s.writes, 0);
        for (const auto &[nr, value] : s.last)
            EXPECT_EQ(rows(u"SELECT %1, %2 FROM Kurs WHERE KursNr = '%3'"_s.arg(s.text, s.number, nr)),
                      QStringList{value});
    }
    EXPECT_EQ(orphans(db()), u"0"_s);
}

ORV_DB_TEST_SUITE(TwoWorkstations);

// ---------------------------------------------------------------- hostile input

class HostileInput : public DbTest {};

// Texts a department's data may hold or a user may paste.
QString hostileText(std::mt19937 &rng, int maxPieces)
{
    // Separated by "|"; U+0000, control characters, a byte order mark, surrogate pairs, right-to-left text.
    static const QStringList pieces =
        u"'|''|\"|\\|%|_|!|[|]|*|?| |  |\t|\r\n|\x01|\x1F|\x7F|\0|\uFEFF|\U0001F600|\U0001D11E|"
        "e\u0301|\u05E9\u05DC\u05D5\u05DD|\u202E|ΣΟΦΟΣ|İ|ß|Äö|O'Neill, Seán|; DROP TABLE Kurs; --|"
        "$1|x|Meier|, |\uFFFD|wwwwwwwwwwwwwwwwwwwwwwwww"_s.split(u'|');
    QString s;
    const int n = 1 + int(rng() % unsigned(maxPieces));
    for (int i = 0; i < n; ++i)
        s += pieces.at(int(rng() % unsigned(pieces.size())));
    return s;
}

// Saves the set's pending row: true when stored; false when refused as a value
// the column does not take, the row then abandoned.
bool saved(RecordSet &rs)
{
    const long error = dbErrorOf([&] { rs.update(); });
    if (error != 0) {
        EXPECT_EQ(error, ErrBadValue);
        rs.cancelUpdate();
    }
    return error == 0;
}

// Every hostile value goes through the record-set writes, the search, the
// report filters and the rename: stored and found exactly as given (filled
// with blanks to the column width), or refused as a value the column does not
// take, with nothing written; the same filter finds the same rows on both engines.
TEST_P(HostileInput, ValuesAreStoredAndFoundExactlyOrRefused)
{
    const int cases = countFromEnv("ORV_HOSTILE_CASES", 300);
    std::mt19937 rng(1234);
    addKurs(u"K1"_s, u"IT"_s, u"Excel"_s, u"I"_s);
    Connection conn = connect();
    RecordSet ma;
    ma.openTable(conn, u"Mitarbeiter"_s);
    QStringList storedNames; // as the column holds them
    int accepted = 0, refused = 0;
    // Not a number, infinite, or beyond single precision: refused.
    static const std::pair<QVariant, bool> numbers[] = {
        {u"1e308"_s, false},  {u"-1"_s, true},  {u"nan"_s, false},   {u"inf"_s, false}, {u"-inf"_s, false},
        {u"9999,99"_s, true}, {u"1.5"_s, true}, {u"12,5x"_s, false}, {u""_s, true},     {qQNaN(), false}};
    for (int i = 0; i < cases; ++i) {
        // First the edges: a byte order mark in front, 30 characters in 31 units, and 31 characters.
        const QStringList edges{QChar(0xFEFF) + u"BOM, Anna"_s, QString(29, u'r') + u"\U0001F600"_s,
                                QString(30, u'r') + u"\U0001F600"_s};
        const QString name = i < edges.size() ? edges.at(i) : u"%1 "_s.arg(i) + hostileText(rng, 4);
        const QString remark = hostileText(rng, 8);
        const auto &[cost, costOk] = numbers[rng() % std::size(numbers)];
        SCOPED_TRACE(u"case %1: %2 / %3 / %4"_s.arg(i).arg(name, remark, cost.toString()).toStdString());
        const qint64 before = count(u"Mitarbeiter"_s);
        const QString abteilung = leftCharacters(remark, 10);
        ma.addNew();
        ma.setField(u"Name"_s, name);
        ma.setField(u"Kategorie"_s, u"Ets"_s);
        ma.setField(u"Bereich"_s, u"Einkauf"_s);
        ma.setField(u"Abteilung"_s, abteilung);
        const bool nameOk = fitsColumn(name, 30) && fitsColumn(abteilung, 10);
        ASSERT_EQ(saved(ma), nameOk);
        if (!nameOk) {
            ASSERT_EQ(count(u"Mitarbeiter"_s), before);
            ++refused;
            continue;
        }
        ++accepted;
        storedNames << padded(name, 30);
        // Read back and searched (the search dialog's find) exactly as given.
        ma.requery();
        ASSERT_TRUE(ma.find(Criterion::equals(u"Name"_s, name)));
        ASSERT_EQ(ma.text(u"Name"_s), storedNames.last());
        ma.moveFirst();
        ASSERT_TRUE(ma.find(Criterion::contains(u"Name"_s, name.trimmed())));
        addPlan(u"K1"_s, name); // for the report filter below

        // A number field takes finite numbers only.
        RecordSet kurs;
        kurs.openTable(conn, u"Kurs"_s);
        kurs.setField(u"Kosten"_s, cost);
        ASSERT_EQ(saved(kurs), costOk);
    }
    EXPECT_GT(accepted, cases / 4);
    EXPECT_GT(refused, 0);

    // The report filter: what the query finds is what a fold of the stored names finds, on either engine.
    std::mt19937 frng(99);
    for (int i = 0; i < std::min(cases, 200); ++i) {
        const QString filter = i % 2 == 0 && !storedNames.isEmpty()
                                   ? pieceOf(storedNames.at(int(frng() % unsigned(storedNames.size()))), frng)
                                   : hostileText(frng, 2);
        if (filter.isEmpty() || filter.contains(QChar(0)))
            continue;
        reportdata::TrainingsplanSelection sel;
        sel.von = QDate(1, 1, 1);
        sel.bis = QDate(9999, 12, 31);
        sel.name = filter;
        const reportdata::TrainingsplanQuery q = reportdata::trainingsplanQuery(sel, conn.backend());
        std::multiset<QString> found, expected;
        for (auto cur = conn.query(q.rows.sql(), q.rows.params()); cur->next();)
            found.insert(textAt(*cur, data::trainingPlanList.indexOf("Name")));
        for (auto cur = conn.query(u"SELECT Trainingsplan.Name FROM Trainingsplan INNER JOIN Kurs ON "
                                   "Trainingsplan.KursNr = Kurs.KursNr"_s);
             cur->next();) {
            const QString n = textAt(*cur, 0); // filled with blanks on both engines
            if (foldCase(n).contains(foldCase(filter)))
                expected.insert(n);
        }
        ASSERT_EQ(found, expected) << "filter \"" << filter.toStdString() << "\"";
    }
}

ORV_DB_TEST_SUITE(HostileInput);

} // namespace
} // namespace orv::test
