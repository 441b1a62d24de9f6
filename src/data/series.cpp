#include "data/series.h"

#include "data/collation.h"
#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/schema.h"
#include "data/tables.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orv::data::series {
namespace {

QString textOf(const Cursor &cur, int c)
{
    std::string_view bytes = cur.textBytes(c);
    while (!bytes.empty() && bytes.back() == ' ')
        bytes.remove_suffix(1);
    return fromDbText(bytes);
}

QString courseKey(const QString &kursNr) { return schema::padded(kursNr.trimmed(), 6); }

std::string_view trimmedBytes(std::string_view bytes)
{
    while (!bytes.empty() && bytes.back() == ' ')
        bytes.remove_suffix(1);
    return bytes;
}

// A course of a chosen series, as the due list needs it.
struct SeriesCourse {
    int series; // position of its series among the chosen, in German order of the codes
    std::optional<int> months;
    QString kursNr;
};

// An employee the filters leave, as the due list needs it.
struct Person {
    QString name, bereich, abteilung, kategorie;
};

// One entry of a series course: completed (its Datum bis) or still to come (its Datum von).
struct Mark {
    quint64 pair; // employee * series count + series
    qint32 day;   // Julian day
    qint32 course;
    bool done;
};

// The chosen series' courses by number, and the series codes in German order.
std::unordered_map<std::string, SeriesCourse> seriesCourses(Connection &conn, const DueSelection &sel,
                                                            QStringList &codesOut)
{
    struct Row {
        std::string nr;
        QString kursNr, reihe;
        std::optional<int> months;
    };
    std::vector<Row> rows;
    auto cur = conn.query(QStringLiteral("SELECT k.KursNr, k.Rubrik, r.Reihe, r.Gueltigkeit FROM Kurs k JOIN "
                                         "Kursreihe r ON r.KursNr = k.KursNr WHERE r.Reihe <> ''"));
    while (cur->next()) {
        const QString reihe = textOf(*cur, 2);
        if (!sel.reihe.trimmed().isEmpty() && reihe != sel.reihe.trimmed())
            continue;
        if (!sel.rubrik.trimmed().isEmpty() && textOf(*cur, 1) != sel.rubrik.trimmed())
            continue;
        rows.push_back({std::string(trimmedBytes(cur->textBytes(0))), textOf(*cur, 0), reihe,
                        cur->isNull(3) ? std::nullopt : std::optional<int>(int(cur->integer(3)))});
    }
    QStringList codes;
    for (const Row &r : rows)
        codes << r.reihe;
    codes.removeDuplicates();
    std::sort(codes.begin(), codes.end(), [](const QString &a, const QString &b) { return germanCompare(a, b) < 0; });
    std::unordered_map<std::string, SeriesCourse> map;
    for (Row &r : rows)
        map.emplace(std::move(r.nr), SeriesCourse{int(codes.indexOf(r.reihe)), r.months, r.kursNr});
    codesOut = codes;
    return map;
}

} // namespace

QString monthsMessage()
{
    return QStringLiteral("Die Gültigkeit muß zwischen 1 und %1 Monaten liegen.").arg(kMaxMonths);
}

CourseSeries ofCourse(Connection &conn, const QString &kursNr)
{
    auto cur =
        conn.query(QStringLiteral("SELECT Reihe, Gueltigkeit FROM Kursreihe WHERE KursNr = ?"), {courseKey(kursNr)});
    CourseSeries s;
    if (cur->next()) {
        s.reihe = textOf(*cur, 0);
        if (!cur->isNull(1))
            s.months = int(cur->integer(1));
    }
    return s;
}

void setForCourse(Connection &conn, const QString &kursNr, const CourseSeries &s)
{
    if (s.months && (*s.months < 1 || *s.months > kMaxMonths))
        throw DbError(ErrBadValue, monthsMessage());
    const QString code = schema::padded(s.reihe.trimmed(), kCodeWidth);
    Transaction tx(conn);
    if (!tables::rowExists(conn, QStringLiteral("Kurs"), {QStringLiteral("KursNr")}, {courseKey(kursNr)},
                           tables::Hold::ForWrite))
        throw DbError(ErrRowGone, QStringLiteral("Der Kurs %1 ist nicht mehr vorhanden.").arg(kursNr.trimmed()));
    conn.exec(QStringLiteral("DELETE FROM Kursreihe WHERE KursNr = ?"), {courseKey(kursNr)});
    if (!s.isEmpty())
        conn.exec(QStringLiteral("INSERT INTO Kursreihe (KursNr, Reihe, Gueltigkeit) VALUES (?, ?, ?)"),
                  {courseKey(kursNr), code, s.months ? QVariant(*s.months) : QVariant()});
    tx.commit();
}

QStringList codes(Connection &conn)
{
    QStringList list;
    auto cur = conn.query(QStringLiteral("SELECT DISTINCT Reihe FROM Kursreihe WHERE Reihe <> ''"));
    while (cur->next())
        list << textOf(*cur, 0);
    std::sort(list.begin(), list.end(), [](const QString &a, const QString &b) { return germanCompare(a, b) < 0; });
    return list;
}

void copyCourse(Connection &conn, const QString &from, const QString &to)
{
    Transaction tx(conn);
    if (tables::rowExists(conn, QStringLiteral("Kurs"), {QStringLiteral("KursNr")}, {courseKey(to)}))
        throw DbError(ErrDuplicateKey, QStringLiteral("Die eingegebene Kurs-Nr. ist bereits vorhanden!"));
    const qint64 n = conn.exec(QStringLiteral("INSERT INTO Kurs (KursNr, Rubrik, Beschreibung, Art, Referent, Kosten, "
                                              "Dauer) SELECT ?, Rubrik, Beschreibung, Art, Referent, Kosten, Dauer "
                                              "FROM Kurs WHERE KursNr = ?"),
                               {courseKey(to), courseKey(from)});
    if (n != 1)
        throw DbError(ErrRowGone, QStringLiteral("Der Kurs %1 ist nicht mehr vorhanden.").arg(from.trimmed()));
    conn.exec(QStringLiteral("INSERT INTO Kursreihe (KursNr, Reihe, Gueltigkeit) SELECT ?, Reihe, Gueltigkeit FROM "
                             "Kursreihe WHERE KursNr = ?"),
              {courseKey(to), courseKey(from)});
    tx.commit();
}

std::vector<DueRow> due(Connection &conn, const DueSelection &sel)
{
    QStringList codes;
    const std::unordered_map<std::string, SeriesCourse> courses = seriesCourses(conn, sel, codes);
    std::vector<const SeriesCourse *> courseAt;
    std::unordered_map<std::string_view, int> courseIndex;
    for (const auto &c : courses) {
        courseIndex.emplace(c.first, int(courseAt.size()));
        courseAt.push_back(&c.second);
    }

    // The employees of the filters, in German order of their names.
    std::vector<Person> people;
    std::vector<std::string> keys;
    {
        auto cur =
            conn.queryMany(QStringLiteral("SELECT Name, Bereich, Abteilung, Kategorie FROM Mitarbeiter ORDER BY ")
                           + conn.backend().germanOrder(QStringLiteral("Name")));
        const auto keep = [](const QString &want, const QString &have) {
            return want.trimmed().isEmpty() || want.trimmed() == have;
        };
        while (cur->next()) {
            Person p{textOf(*cur, 0), textOf(*cur, 1), textOf(*cur, 2), textOf(*cur, 3)};
            if (keep(sel.bereich, p.bereich) && keep(sel.abteilung, p.abteilung) && keep(sel.kategorie, p.kategorie)) {
                keys.emplace_back(trimmedBytes(cur->textBytes(0)));
                people.push_back(std::move(p));
            }
        }
    }
    std::unordered_map<std::string_view, int> personIndex;
    personIndex.reserve(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        personIndex.emplace(keys[i], int(i));

    // One pass over the entries that can count: completed, or still to come.
    const quint64 seriesCount = quint64(std::max<qsizetype>(codes.size(), 1));
    std::vector<Mark> marks;
    if (!courses.empty() && !people.empty()) {
        auto cur = conn.queryMany(QStringLiteral("SELECT KursNr, Name, Status, Datum_von, Datum_bis FROM Trainingsplan "
                                                 "WHERE Status IN ('0', '1', '2')"));
        while (cur->next()) {
            const auto c = courseIndex.find(trimmedBytes(cur->textBytes(0)));
            if (c == courseIndex.end())
                continue;
            const auto p = personIndex.find(trimmedBytes(cur->textBytes(1)));
            if (p == personIndex.end())
                continue;
            const bool done = trimmedBytes(cur->textBytes(2)) == "2";
            const qint64 day = cur->julianDay(done ? 4 : 3);
            if (day == 0)
                continue;
            marks.push_back({quint64(p->second) * seriesCount + quint64(courseAt[size_t(c->second)]->series),
                             qint32(day), qint32(c->second), done});
        }
    }
    std::sort(marks.begin(), marks.end(), [](const Mark &a, const Mark &b) { return a.pair < b.pair; });

    std::vector<DueRow> rows;
    std::vector<int> seriesOfRow;
    const auto dateOfDay = [](qint32 d) { return QDate::fromJulianDay(d); };
    const auto addRow = [&](quint64 pair, const Mark *last, const Mark *next) {
        // Every series times every employee who never took part can outgrow any use (and the memory).
        if (rows.size() >= kMaxDueRows)
            throw DbError(ErrGeneric, QStringLiteral("Die Liste hätte mehr als %L1 Zeilen. Bitte wählen Sie eine Reihe "
                                                     "oder grenzen Sie Bereich, Abteilung oder Kategorie ein.")
                                          .arg(kMaxDueRows));
        const Person &who = people[size_t(pair / seriesCount)];
        DueRow r{codes.value(int(pair % seriesCount)),
                 who.name,
                 who.bereich,
                 who.abteilung,
                 who.kategorie,
                 {},
                 {},
                 {},
                 0,
                 {},
                 {}};
        if (last) {
            const SeriesCourse &c = *courseAt[size_t(last->course)];
            r.kursNr = c.kursNr;
            r.done = dateOfDay(last->day);
            r.validUntil = r.done.addMonths(*c.months);
            r.days = sel.today.daysTo(r.validUntil);
        }
        if (next && (!last || next->day > last->day)) {
            r.nextKursNr = courseAt[size_t(next->course)]->kursNr;
            r.nextFrom = dateOfDay(next->day);
        }
        rows.push_back(std::move(r));
        seriesOfRow.push_back(int(pair % seriesCount));
    };
    // The series a "never" row can be of: those the filters leave some course of.
    std::vector<bool> offered(seriesCount, false);
    for (const SeriesCourse *c : courseAt)
        offered[size_t(c->series)] = true;
    size_t at = 0;
    const quint64 pairs = quint64(people.size()) * seriesCount;
    for (quint64 pair = 0; pair < pairs;) {
        // The next pair with entries, and the pairs before it without any.
        const quint64 nextWithMarks = at < marks.size() ? marks[at].pair : pairs;
        if (sel.withNever)
            for (; pair < nextWithMarks; ++pair)
                if (offered[size_t(pair % seriesCount)])
                    addRow(pair, nullptr, nullptr);
        if (nextWithMarks >= pairs)
            break;
        pair = nextWithMarks;
        const Mark *last = nullptr, *next = nullptr;
        for (; at < marks.size() && marks[at].pair == pair; ++at) {
            const Mark &m = marks[at];
            const Mark *&best = m.done ? last : next;
            if (!best || m.day > best->day)
                best = &m;
        }
        if (last) {
            const std::optional<int> months = courseAt[size_t(last->course)]->months;
            if (months && dateOfDay(last->day).addMonths(*months) < sel.until)
                addRow(pair, last, next);
        } else if (sel.withNever) {
            addRow(pair, nullptr, next);
        }
        ++pair;
    }

    // By series, who never took part first, then the earliest end, then the name.
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const DueRow &x = rows[a], &y = rows[b];
        if (seriesOfRow[a] != seriesOfRow[b])
            return seriesOfRow[a] < seriesOfRow[b];
        const qint64 ex = x.validUntil.isValid() ? x.validUntil.toJulianDay() : 0;
        const qint64 ey = y.validUntil.isValid() ? y.validUntil.toJulianDay() : 0;
        return ex < ey;
    });
    std::vector<DueRow> out;
    out.reserve(rows.size());
    for (size_t i : order)
        out.push_back(std::move(rows[i]));
    return out;
}

} // namespace orv::data::series
