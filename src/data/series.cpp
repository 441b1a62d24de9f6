#include "data/series.h"

#include "data/collation.h"
#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/groupentries.h"
#include "data/schema.h"
#include "data/tables.h"

#include <QHash>
#include <algorithm>

namespace orv::data::series {
namespace {

QString textOf(const Cursor &cur, int c)
{
    std::string_view bytes = cur.textBytes(c);
    while (!bytes.empty() && bytes.back() == ' ')
        bytes.remove_suffix(1);
    return fromDbText(bytes);
}

QDate dateOf(const Cursor &cur, int c)
{
    const qint64 day = cur.julianDay(c);
    return day == 0 ? QDate() : QDate::fromJulianDay(day);
}

QString courseKey(const QString &kursNr) { return schema::padded(kursNr.trimmed(), 6); }

bool isServer(Connection &conn) { return conn.backend().kind() == BackendKind::Postgres; }

// Per employee and series the entry with the latest `day` (a date column).
// On SQLite the other columns of an aggregate's row come from the row that
// has the maximum; a server takes the first row of each pair instead.
QString lastPerPair(Connection &conn, const QString &day, const QString &where)
{
    const QString from = QStringLiteral(" FROM Trainingsplan t JOIN Kursreihe r ON r.KursNr = t.KursNr JOIN Kurs k ON "
                                        "k.KursNr = t.KursNr");
    if (isServer(conn))
        return QStringLiteral("SELECT DISTINCT ON (t.Name, r.Reihe) t.Name, r.Reihe, t.KursNr, %1, r.Gueltigkeit")
                   .arg(day)
               + from + where + QStringLiteral(" ORDER BY t.Name, r.Reihe, %1 DESC").arg(day);
    return QStringLiteral("SELECT t.Name, r.Reihe, t.KursNr, MAX(%1), r.Gueltigkeit").arg(day) + from + where
           + QStringLiteral(" GROUP BY t.Name, r.Reihe");
}

struct Last {
    QString kursNr;
    QDate day;
    std::optional<int> months;
};
using PairMap = QHash<QString, QHash<QString, Last>>; // employee -> series -> entry

PairMap readLast(Connection &conn, const QString &day, const QString &where, const QVariantList &params)
{
    PairMap map;
    auto cur = conn.queryMany(lastPerPair(conn, day, where), params);
    while (cur->next()) {
        Last l{textOf(*cur, 2), dateOf(*cur, 3),
               cur->isNull(4) ? std::nullopt : std::optional<int>(int(cur->integer(4)))};
        map[textOf(*cur, 0)].insert(textOf(*cur, 1), l);
    }
    return map;
}

} // namespace

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
        throw DbError(ErrBadValue,
                      QStringLiteral("Die Gültigkeit muß zwischen 1 und %1 Monaten liegen.").arg(kMaxMonths));
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
    QString where = QStringLiteral(" WHERE r.Reihe <> ''");
    QVariantList params;
    if (!sel.reihe.trimmed().isEmpty()) {
        where += QStringLiteral(" AND r.Reihe = ?");
        params << schema::padded(sel.reihe.trimmed(), kCodeWidth);
    }
    if (!sel.rubrik.trimmed().isEmpty()) {
        where += QStringLiteral(" AND k.Rubrik = ?");
        params << schema::padded(sel.rubrik.trimmed(), 40);
    }
    const PairMap done = readLast(conn, QStringLiteral("t.Datum_bis"),
                                  where + QStringLiteral(" AND t.Status = '2' AND t.Datum_bis IS NOT NULL"), params);
    const PairMap coming =
        readLast(conn, QStringLiteral("t.Datum_von"),
                 where + QStringLiteral(" AND t.Status IN ('0', '1') AND t.Datum_von IS NOT NULL"), params);

    // The series a "never" row can be of: those the filters leave.
    QStringList seriesCodes;
    if (sel.withNever) {
        QString sql =
            QStringLiteral("SELECT DISTINCT r.Reihe FROM Kursreihe r JOIN Kurs k ON k.KursNr = r.KursNr") + where;
        for (auto cur = conn.query(sql, params); cur->next();)
            seriesCodes << textOf(*cur, 0);
    }

    const std::vector<group::Person> people = group::employees(conn); // German order
    const auto keep = [&](const QString &want, const QString &have) {
        return want.trimmed().isEmpty() || want.trimmed() == have;
    };
    struct Sorted {
        DueRow row;
        int person;
    };
    std::vector<Sorted> rows;
    for (int p = 0; p < int(people.size()); ++p) {
        const group::Person &who = people[size_t(p)];
        if (!keep(sel.bereich, who.bereich) || !keep(sel.abteilung, who.abteilung)
            || !keep(sel.kategorie, who.kategorie))
            continue;
        const QHash<QString, Last> mine = done.value(who.name);
        const QHash<QString, Last> next = coming.value(who.name);
        const auto add = [&](const QString &reihe, const Last *last) {
            DueRow r{reihe, who.name, who.bereich, who.abteilung, who.kategorie, {}, {}, {}, 0, {}, {}};
            if (last) {
                r.kursNr = last->kursNr;
                r.done = last->day;
                r.validUntil = last->day.addMonths(*last->months);
                r.days = sel.today.daysTo(r.validUntil);
            }
            if (auto n = next.constFind(reihe); n != next.cend() && (!last || n->day > last->day)) {
                r.nextKursNr = n->kursNr;
                r.nextFrom = n->day;
            }
            rows.push_back({r, p});
        };
        for (auto it = mine.cbegin(); it != mine.cend(); ++it)
            if (it->months && it->day.addMonths(*it->months) < sel.until)
                add(it.key(), &it.value());
        for (const QString &reihe : std::as_const(seriesCodes))
            if (!mine.contains(reihe))
                add(reihe, nullptr);
    }
    QStringList allCodes;
    for (const Sorted &s : rows)
        allCodes << s.row.reihe;
    allCodes.removeDuplicates();
    std::sort(allCodes.begin(), allCodes.end(),
              [](const QString &a, const QString &b) { return germanCompare(a, b) < 0; });
    QHash<QString, int> codeRank;
    for (int i = 0; i < allCodes.size(); ++i)
        codeRank.insert(allCodes[i], i);
    std::sort(rows.begin(), rows.end(), [&](const Sorted &a, const Sorted &b) {
        const int ca = codeRank.value(a.row.reihe), cb = codeRank.value(b.row.reihe);
        if (ca != cb)
            return ca < cb;
        // Who never took part stands first: an invalid date is the earliest.
        if (a.row.validUntil != b.row.validUntil)
            return !a.row.validUntil.isValid() || (b.row.validUntil.isValid() && a.row.validUntil < b.row.validUntil);
        return a.person < b.person;
    });
    std::vector<DueRow> out;
    out.reserve(rows.size());
    for (Sorted &s : rows)
        out.push_back(std::move(s.row));
    return out;
}

} // namespace orv::data::series
