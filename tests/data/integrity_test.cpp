// The program's own checks of its data: killed in the middle of writes, two
// workstations on one database, and hostile input through every write path.
// Counts for long runs: ORV_CRASH_KILLS, ORV_WORKSTATION_OPS, ORV_HOSTILE_CASES.
#include "data/collation.h"
#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/sqlitebackend.h"
#include "reports/trainingsplanlist.h"
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

namespace orv::test {
namespace {

int countFromEnv(const char *name, int normal)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue(name, &ok);
    return ok && n > 0 ? n : normal;
}

QString textAt(Cursor &cur, int c) { return fromDbText(cur.textBytes(c)); }

qint64 scalar(Connection &conn, const QString &sql)
{
    auto cur = conn.query(sql);
    return cur->next() ? cur->integer(0) : -1;
}

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

qint64 orphans(Connection &conn)
{
    return scalar(conn,
                  QStringLiteral("SELECT COUNT(*) FROM Trainingsplan WHERE KursNr NOT IN (SELECT KursNr FROM Kurs) "
                                 "OR Name NOT IN (SELECT Name FROM Mitarbeiter)"));
}

// ---------------------------------------------------------------- crash safety

// The whole database as the checks compare it.
struct State {
    std::map<QString, QString> kurse; // KursNr → Beschreibung
    std::set<QString> names;
    std::set<std::pair<QString, QString>> plan;
    bool operator==(const State &) const = default;
};

State readState(Connection &conn)
{
    State s;
    for (auto cur = conn.query(u"SELECT KursNr, Beschreibung FROM Kurs"_s); cur->next();)
        s.kurse[textAt(*cur, 0).trimmed()] = textAt(*cur, 1).trimmed();
    for (auto cur = conn.query(u"SELECT Name FROM Mitarbeiter"_s); cur->next();)
        s.names.insert(textAt(*cur, 0).trimmed());
    for (auto cur = conn.query(u"SELECT KursNr, Name FROM Trainingsplan"_s); cur->next();)
        s.plan.insert({textAt(*cur, 0).trimmed(), textAt(*cur, 1).trimmed()});
    return s;
}

// One step of the writing child: a save, a cascade delete, a new course with
// its entries, or a rename; drawn from the seed alone, so that the parent can
// follow what was acknowledged.
struct Op {
    enum Kind { Save, Delete, Add, Rename } kind;
    QString kursNr;
    int employee;
    QString text;
};

Op nextOp(std::mt19937 &rng, int seed, int step)
{
    const unsigned r = rng() % 100, k = rng() % 6, e = rng() % 6;
    const QString tag = u"%1-%2"_s.arg(seed).arg(step);
    const Op::Kind kind = r < 45 ? Op::Save : r < 60 ? Op::Delete : r < 80 ? Op::Add : Op::Rename;
    return {kind, u"K%1"_s.arg(k), int(e), tag};
}

QString employeeName(int e, bool renamed)
{
    return (renamed ? u"Mitarbeiterin, "_s : u"Mitarbeiter, "_s) + QString::number(e);
}

void applyToModel(State &s, const Op &op)
{
    switch (op.kind) {
    case Op::Save:
        if (s.kurse.count(op.kursNr))
            s.kurse[op.kursNr] = u"S"_s + op.text;
        break;
    case Op::Delete:
        s.kurse.erase(op.kursNr);
        std::erase_if(s.plan, [&](const auto &p) { return p.first == op.kursNr; });
        break;
    case Op::Add:
        if (!s.kurse.count(op.kursNr)) {
            s.kurse[op.kursNr] = u"A"_s + op.text;
            for (const QString &n : s.names)
                s.plan.insert({op.kursNr, n});
        }
        break;
    case Op::Rename: {
        const bool renamed = !s.names.count(employeeName(op.employee, false));
        const QString from = employeeName(op.employee, renamed), to = employeeName(op.employee, !renamed);
        s.names.erase(from);
        s.names.insert(to);
        std::set<std::pair<QString, QString>> plan;
        for (const auto &p : s.plan)
            plan.insert({p.first, p.second == from ? to : p.second});
        s.plan = plan;
        break;
    }
    }
}

// The same step on the database, the way the windows write.
void applyToDatabase(Connection &conn, const Op &op)
{
    const Criterion kurs = Criterion::equals(u"KursNr"_s, op.kursNr);
    switch (op.kind) {
    case Op::Save: {
        RecordSet rs;
        rs.openTable(conn, u"Kurs"_s);
        if (rs.find(kurs)) {
            rs.setField(u"Beschreibung"_s, u"S"_s + op.text);
            rs.update();
        }
        break;
    }
    case Op::Delete: {
        Transaction tx(conn);
        RecordSet rs;
        rs.openTable(conn, u"Kurs"_s);
        if (rs.find(kurs)) {
            rs.deleteCurrent();
            conn.exec(u"DELETE FROM Trainingsplan WHERE KursNr = ?"_s, {op.kursNr});
        }
        tx.commit();
        break;
    }
    case Op::Add: {
        Transaction tx(conn);
        if (!conn.exists(u"SELECT KursNr FROM Kurs WHERE KursNr = ?"_s, {op.kursNr})) {
            RecordSet k;
            k.openTable(conn, u"Kurs"_s);
            k.addNew();
            k.setField(u"KursNr"_s, op.kursNr);
            k.setField(u"Rubrik"_s, u"IT"_s);
            k.setField(u"Beschreibung"_s, u"A"_s + op.text);
            k.setField(u"Art"_s, u"I"_s);
            k.update();
            RecordSet p;
            p.openTable(conn, u"Trainingsplan"_s);
            for (auto cur = conn.query(u"SELECT Name FROM Mitarbeiter"_s); cur->next();) {
                p.addNew();
                p.setField(u"KursNr"_s, op.kursNr);
                p.setField(u"Name"_s, textAt(*cur, 0));
                p.setField(u"Status"_s, u"0"_s);
                p.update();
            }
        }
        tx.commit();
        break;
    }
    case Op::Rename: {
        Transaction tx(conn);
        const bool renamed =
            !conn.exists(u"SELECT Name FROM Mitarbeiter WHERE Name = ?"_s, {employeeName(op.employee, false)});
        const QVariantList names{employeeName(op.employee, !renamed), employeeName(op.employee, renamed)};
        conn.exec(u"UPDATE Mitarbeiter SET Name = ? WHERE Name = ?"_s, names);
        conn.exec(u"UPDATE Trainingsplan SET Name = ? WHERE Name = ?"_s, names);
        tx.commit();
        break;
    }
    }
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
    for (int step = 1;; ++step) {
        applyToDatabase(conn, nextOp(rng, seed, step));
        std::printf("A %d\n", step);
        std::fflush(stdout);
    }
}

class CrashSafety : public OrvTest {};

// Saves, cascade deletes and renames killed at random moments: the file stays
// whole, nothing is half done, and every acknowledged step is there.
TEST_F(CrashSafety, KilledWritersLeaveAWholeDatabase)
{
    const int kills = countFromEnv("ORV_CRASH_KILLS", 30);
    const QString file = tempPath() + u"/orv.mdb"_s;
    createSqliteBackend(file);
    Connection conn;
    conn.open(ConnectionTarget::sqliteFile(file));
    schema::create(conn);
    for (int k = 0; k < 6; ++k) {
        conn.exec(u"INSERT INTO Kurs (KursNr, Rubrik, Beschreibung, Art) VALUES (?, 'IT', 'neu', 'I')"_s,
                  {u"K%1"_s.arg(k)});
        conn.exec(u"INSERT INTO Mitarbeiter (Name, Kategorie, Bereich) VALUES (?, 'Ets', 'Einkauf')"_s,
                  {employeeName(k, false)});
    }
    conn.exec(u"INSERT INTO Trainingsplan (KursNr, Name, Status) SELECT KursNr, Name, '0' FROM Kurs, Mitarbeiter"_s);
    State state = readState(conn);
    conn.close();

    std::mt19937 timing(4711);
    int acknowledged = 0, inFlightCommitted = 0;
    for (int round = 1; round <= kills; ++round) {
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
        auto check = conn.query(u"PRAGMA integrity_check"_s);
        ASSERT_TRUE(check->next());
        ASSERT_EQ(textAt(*check, 0), u"ok"_s) << "round " << round;
        check.reset();
        ASSERT_EQ(orphans(conn), 0) << "round " << round;
        ASSERT_EQ(scalar(conn, u"SELECT COUNT(*) FROM Mitarbeiter"_s), 6) << "round " << round;

        std::mt19937 rng(round);
        for (int step = 1; step <= acks; ++step)
            applyToModel(state, nextOp(rng, round, step));
        const State found = readState(conn);
        conn.close();
        if (found != state) {
            applyToModel(state, nextOp(rng, round, acks + 1)); // the step under way may have committed
            ASSERT_TRUE(found == state) << "round " << round << ": the database is neither at step " << acks
                                        << " nor at the one after it";
            ++inFlightCommitted;
        }
    }
    std::printf("[ crash    ] %d kills, %d acknowledged steps, %d committed steps unacknowledged\n", kills,
                acknowledged, inFlightCommitted);
    EXPECT_GT(acknowledged, kills); // the kills fell among the writes, not before them
}

// ---------------------------------------------------------------- two workstations

class TwoWorkstations : public DbTest {};

// Two workstations edit, delete and add on the same rows at the same time.
// Their edits of different columns both stay, a row the other one deleted is
// reported as gone, nothing waits into an error, and no entry loses its parents.
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
        const char *text, *number; // the columns this workstation edits
        std::map<QString, std::pair<QString, double>> last;
        int writes = 0, gone = 0, failures = 0;
        QStringList failureTexts;
    } sides[2] = {{"Beschreibung", "Kosten", {}, 0, 0, 0, {}}, {"Referent", "Dauer", {}, 0, 0, 0, {}}};

    auto work = [&](Side &side, unsigned seed) {
        std::mt19937 rng(seed);
        Connection conn = connect();
        RecordSet rs;
        rs.openTable(conn, u"Kurs"_s);
        for (int i = 0; i < ops; ++i) {
            const unsigned r = rng() % 100;
            const QString nr = u"%1%2"_s.arg(r < 60 ? 'K' : 'D').arg(rng() % 5);
            const QString name = u"Name, %1"_s.arg(rng() % 5);
            try {
                if (r < 75) {
                    // A save as the window does it: every field of its (perhaps stale) copy.
                    if (rng() % 3 == 0)
                        rs.requery();
                    rs.moveFirst();
                    if (!rs.find(Criterion::equals(u"KursNr"_s, nr)))
                        continue;
                    const QString text = u"%1-%2"_s.arg(seed).arg(i);
                    const double number = double(i % 1000);
                    for (int c = 0; c < rs.columnCount(); ++c) {
                        const QString col = rs.column(c).name;
                        rs.setField(c, col == QLatin1String(side.text)     ? QVariant(text)
                                       : col == QLatin1String(side.number) ? QVariant(number)
                                                                           : rs.value(c));
                    }
                    try {
                        rs.update();
                        ++side.writes;
                        if (nr.startsWith(QLatin1Char('K')))
                            side.last[nr] = {text, number};
                    } catch (const DbError &e) {
                        rs.cancelUpdate();
                        if (e.number() != ErrRowGone)
                            throw;
                        // What the window then asks to choose its message.
                        if (!conn.exists(u"SELECT KursNr FROM Kurs WHERE KursNr = ?"_s, {nr}))
                            ++side.gone;
                        rs.requery();
                    }
                } else if (r < 85) {
                    Transaction tx(conn);
                    conn.exec(u"DELETE FROM Kurs WHERE KursNr = ?"_s, {nr});
                    conn.exec(u"DELETE FROM Trainingsplan WHERE KursNr = ?"_s, {nr});
                    tx.commit();
                } else if (r < 90) {
                    Transaction tx(conn);
                    if (!conn.exists(u"SELECT KursNr FROM Kurs WHERE KursNr = ?"_s, {nr}))
                        conn.exec(QStringLiteral("INSERT INTO Kurs (KursNr, Rubrik, Beschreibung, Art) "
                                                 "VALUES (?, 'IT', 'neu', 'I')"),
                                  {nr});
                    tx.commit();
                } else {
                    // A new entry as the training plan window saves it: checks and write in one unit.
                    const QString keep = isPostgres() ? u" FOR KEY SHARE"_s : QString();
                    Transaction tx(conn);
                    if (conn.exists(u"SELECT KursNr FROM Kurs WHERE KursNr = ?"_s + keep, {nr})
                        && conn.exists(u"SELECT Name FROM Mitarbeiter WHERE Name = ?"_s + keep, {name})
                        && !conn.exists(u"SELECT KursNr FROM Trainingsplan WHERE KursNr = ? AND Name = ?"_s,
                                        {nr, name}))
                        conn.exec(u"INSERT INTO Trainingsplan (KursNr, Name, Status) VALUES (?, ?, '0')"_s, {nr, name});
                    tx.commit();
                }
            } catch (const DbError &e) {
                // Both may add the same entry at once; the key refuses the second. Anything else is a fault.
                if (e.number() == ErrDuplicateKey)
                    continue;
                ++side.failures;
                side.failureTexts << e.message(QString());
            }
        }
    };
    std::thread other([&] { work(sides[1], 2); });
    work(sides[0], 1);
    other.join();

    for (const Side &s : sides) {
        EXPECT_EQ(s.failures, 0) << s.failureTexts.join(u" | "_s).toStdString();
        EXPECT_GT(s.writes, 0);
        std::printf("[ stations ] %s: %d saves, %d rows found deleted by the other\n", s.text, s.writes, s.gone);
    }
    for (int i = 0; i < 5; ++i) {
        const QString nr = u"K%1"_s.arg(i);
        auto cur = db().query(u"SELECT Beschreibung, Kosten, Referent, Dauer FROM Kurs WHERE KursNr = ?"_s, {nr});
        ASSERT_TRUE(cur->next()) << nr.toStdString();
        for (int side = 0; side < 2; ++side) {
            const auto it = sides[side].last.find(nr);
            if (it == sides[side].last.end())
                continue;
            EXPECT_EQ(textAt(*cur, side * 2).trimmed(), it->second.first) << nr.toStdString();
            EXPECT_DOUBLE_EQ(cur->real(side * 2 + 1), it->second.second) << nr.toStdString();
        }
    }
    EXPECT_EQ(orphans(db()), 0);
}

ORV_DB_TEST_SUITE(TwoWorkstations);

// ---------------------------------------------------------------- hostile input

class HostileInput : public DbTest {};

// Texts a department's data may hold or a user may paste.
QString hostileText(std::mt19937 &rng, int maxPieces)
{
    static const QStringList pieces{
        u"'"_s,
        u"''"_s,
        u"\""_s,
        u"\\"_s,
        u"%"_s,
        u"_"_s,
        u"!"_s,
        u"["_s,
        u"]"_s,
        u"*"_s,
        u"?"_s,
        u" "_s,
        u"  "_s,
        u"\t"_s,
        u"\r\n"_s,
        QString(QChar(1)),
        QString(QChar(0x1F)),
        QString(QChar(0x7F)),
        QString(QChar(0)),
        QString(QChar(0xFEFF)),
        u"\U0001F600"_s,
        u"\U0001D11E"_s,
        u"e\u0301"_s,
        u"\u05E9\u05DC\u05D5\u05DD"_s,
        u"\u202E"_s,
        u"ΣΟΦΟΣ"_s,
        u"İ"_s,
        u"ß"_s,
        u"Äö"_s,
        u"O'Neill, Seán"_s,
        u"; DROP TABLE Kurs; --"_s,
        u"$1"_s,
        u"x"_s,
        u"Meier"_s,
        u", "_s,
        u"\uFFFD"_s,
        QString(25, QLatin1Char('w')),
    };
    QString s;
    const int n = 1 + int(rng() % unsigned(maxPieces));
    for (int i = 0; i < n; ++i)
        s += pieces.at(int(rng() % unsigned(pieces.size())));
    return s;
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
    RecordSet ma, plan;
    ma.openTable(conn, u"Mitarbeiter"_s);
    plan.openTable(conn, u"Trainingsplan"_s);
    QStringList storedNames; // as the column holds them
    int accepted = 0, refused = 0;
    static const QStringList numbers{u"1e308"_s,   u"-1"_s,  u"nan"_s,   u"inf"_s, u"-inf"_s,
                                     u"9999,99"_s, u"1.5"_s, u"12,5x"_s, u""_s};
    static const QStringList dates{u"31.02.2027"_s, u"00.00.0000"_s, u"1.1.27"_s,   u"2027-12-31"_s,
                                   u"29.02.2028"_s, u"';--"_s,       u"99999.1.1"_s};

    for (int i = 0; i < cases; ++i) {
        const QString name = u"%1 "_s.arg(i) + hostileText(rng, 4);
        const QString remark = hostileText(rng, 8);
        const QString cost = numbers.at(int(rng() % unsigned(numbers.size())));
        const QString date = dates.at(int(rng() % unsigned(dates.size())));
        SCOPED_TRACE(u"case %1"_s.arg(i).toStdString());
        const qint64 before = count(u"Mitarbeiter"_s);
        const QString abteilung = leftCharacters(remark, 10);
        const bool nameOk = fitsColumn(name, 30) && fitsColumn(abteilung, 10);
        ma.addNew();
        ma.setField(u"Name"_s, name);
        ma.setField(u"Kategorie"_s, u"Ets"_s);
        ma.setField(u"Bereich"_s, u"Einkauf"_s);
        ma.setField(u"Abteilung"_s, abteilung);
        try {
            ma.update();
            ASSERT_TRUE(nameOk) << "accepted " << name.toStdString();
        } catch (const DbError &e) {
            ma.cancelUpdate();
            ASSERT_EQ(e.number(), ErrBadValue) << e.description().toStdString();
            ASSERT_FALSE(nameOk) << "refused " << name.toStdString();
            ASSERT_EQ(count(u"Mitarbeiter"_s), before);
            ++refused;
            continue;
        }
        ++accepted;
        const QString stored = padded(name, 30);
        storedNames << stored;
        // Read back and searched (the search dialog's find) exactly as given.
        ma.requery();
        ASSERT_TRUE(ma.find(Criterion::equals(u"Name"_s, name))) << name.toStdString();
        ASSERT_EQ(ma.text(u"Name"_s), stored);
        ma.moveFirst();
        ASSERT_TRUE(ma.find(Criterion::contains(u"Name"_s, name.trimmed())));

        // An entry with a hostile remark, number-like and date-like text.
        plan.addNew();
        plan.setField(u"KursNr"_s, u"K1"_s);
        plan.setField(u"Name"_s, name);
        plan.setField(u"Bemerkung"_s, remark);
        plan.setField(u"Datum_von"_s, date);
        plan.setField(u"Datum_bis"_s, u"31.12.2027"_s);
        plan.setField(u"Status"_s, u"0"_s);
        const bool remarkOk = fitsColumn(remark, 80);
        const bool dateOk = date == QLatin1String("2027-12-31") || date == QLatin1String("29.02.2028")
                            || date == QLatin1String("1.1.27");
        try {
            plan.update();
            ASSERT_TRUE(remarkOk && dateOk) << remark.toStdString() << " / " << date.toStdString();
            plan.requery();
            std::vector<Criterion> key{Criterion::equals(u"KursNr"_s, u"K1"_s), Criterion::equals(u"Name"_s, name)};
            RecordSet copy = plan.clone();
            copy.filter(key);
            ASSERT_EQ(copy.recordCount(), 1);
            ASSERT_EQ(copy.text(u"Bemerkung"_s), padded(remark, 80));
        } catch (const DbError &e) {
            plan.cancelUpdate();
            ASSERT_EQ(e.number(), ErrBadValue) << e.description().toStdString();
            ASSERT_FALSE(remarkOk && dateOk) << remark.toStdString() << " / " << date.toStdString();
            ++refused;
        }

        // A number field takes finite numbers only.
        RecordSet kurs;
        kurs.openTable(conn, u"Kurs"_s);
        kurs.setField(u"Kosten"_s, cost);
        // Not a number, infinite, or beyond single precision: refused.
        const bool costOk = !cost.contains(QLatin1String("nan")) && !cost.contains(QLatin1String("inf"))
                            && cost != QLatin1String("1e308") && !cost.contains(QLatin1Char('x'));
        try {
            kurs.update();
            ASSERT_TRUE(costOk) << cost.toStdString();
        } catch (const DbError &e) {
            kurs.cancelUpdate();
            ASSERT_EQ(e.number(), ErrBadValue) << cost.toStdString();
            ASSERT_FALSE(costOk) << cost.toStdString();
        }
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
        reports::TrainingsplanSelection sel;
        sel.von = QDate(1, 1, 1);
        sel.bis = QDate(9999, 12, 31);
        sel.name = filter;
        const reports::TrainingsplanQuery q = reports::trainingsplanQuery(sel, conn.backend());
        std::multiset<QString> found, expected;
        for (auto cur = conn.query(q.rows.sql(), q.rows.params()); cur->next();)
            found.insert(textAt(*cur, 7));
        for (auto cur = conn.query(QStringLiteral("SELECT Trainingsplan.Name FROM Trainingsplan INNER JOIN Kurs ON "
                                                  "Trainingsplan.KursNr = Kurs.KursNr"));
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
