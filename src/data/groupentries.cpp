#include "data/groupentries.h"

#include "data/batchinsert.h"
#include "data/dates.h"
#include "data/dberror.h"
#include "data/dbtext.h"
#include "data/schema.h"
#include "data/storedvalue.h"
#include "data/tables.h"
#include "data/valuelists.h"

#include <QHash>
#include <QSet>

namespace orv::data::group {
namespace {

// The entry's columns in the table's order; every statement here reads and
// writes them in this order.
QStringList entryColumns()
{
    QStringList names;
    for (const schema::ColumnDef &c : schema::trainingsplan().columns)
        names << QLatin1String(c.name);
    return names;
}

QString prefixed(const QString &alias)
{
    QStringList names = entryColumns();
    for (QString &n : names)
        n.prepend(alias + QLatin1Char('.'));
    return names.join(QStringLiteral(", "));
}

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

// A row read with the entry columns in their order.
Entry readEntry(const Cursor &cur)
{
    Entry e;
    e.kursNr = textOf(cur, 0);
    e.name = textOf(cur, 1);
    e.prioritaet = textOf(cur, 2);
    e.quelle = textOf(cur, 3);
    e.von = dateOf(cur, 4);
    e.bis = dateOf(cur, 5);
    e.rechnung = cur.boolean(6);
    e.beurteilung = cur.boolean(7);
    e.bemerkung = textOf(cur, 8);
    e.status = textOf(cur, 9);
    return e;
}

int width(int column) { return schema::trainingsplan().columns[size_t(column)].width; }

// Each column's value as the table stores it.
QVariantList storedValues(const Entry &e)
{
    const QVariantList typed = {e.kursNr, e.name,     e.prioritaet,  e.quelle,    e.von,
                                e.bis,    e.rechnung, e.beurteilung, e.bemerkung, e.status};
    const auto &columns = schema::trainingsplan().columns;
    QVariantList stored;
    for (size_t c = 0; c < columns.size(); ++c)
        stored << storedParam(columns[c], typed[qsizetype(c)]);
    return stored;
}

QSet<QString> employeeNames(Connection &conn)
{
    QSet<QString> names;
    auto cur = conn.queryMany(QStringLiteral("SELECT Name FROM Mitarbeiter"));
    while (cur->next())
        names.insert(textOf(*cur, 0));
    return names;
}

QHash<QString, Entry> byName(const std::vector<Entry> &list)
{
    QHash<QString, Entry> map;
    for (const Entry &e : list)
        map.insert(e.name, e);
    return map;
}

const QString kGone = QStringLiteral("Der eingegebene Name ist nicht vorhanden!");
const QString kPlannedMeanwhile = QStringLiteral("inzwischen an einem anderen Arbeitsplatz eingeplant");
const QString kChangedMeanwhile = QStringLiteral("inzwischen an einem anderen Arbeitsplatz geändert");
const QString kDeletedMeanwhile = QStringLiteral("inzwischen an einem anderen Arbeitsplatz gelöscht");

void report(const Progress &progress, qint64 done, qint64 total)
{
    if (progress)
        progress(done, total);
}

bool courseHeld(Connection &conn, const QString &kursNr)
{
    return tables::rowExists(conn, QStringLiteral("Kurs"), {QStringLiteral("KursNr")}, {kursNr},
                             tables::Hold::ForWrite);
}

} // namespace

std::vector<Person> employees(Connection &conn)
{
    std::vector<Person> list;
    auto cur = conn.queryMany(
        QStringLiteral("SELECT Name, Kostenstelle, Abteilung, Kategorie, Bereich FROM Mitarbeiter ORDER BY ")
        + conn.backend().germanOrder(QStringLiteral("Name")));
    while (cur->next())
        list.push_back({textOf(*cur, 0), textOf(*cur, 1), textOf(*cur, 2), textOf(*cur, 3), textOf(*cur, 4)});
    return list;
}

std::vector<Entry> entries(Connection &conn, const QString &kursNr, const QDate &from, const QDate &to,
                           const QString &status)
{
    QString sql = QStringLiteral("SELECT ") + entryColumns().join(QStringLiteral(", "))
                  + QStringLiteral(" FROM Trainingsplan WHERE KursNr = ?");
    QVariantList params{schema::padded(kursNr, width(0))};
    if (from.isValid()) {
        sql += QStringLiteral(" AND Datum_von >= ?");
        params << from;
    }
    if (to.isValid()) {
        sql += QStringLiteral(" AND Datum_von <= ?");
        params << to;
    }
    if (!status.isEmpty()) {
        sql += QStringLiteral(" AND Status = ?");
        params << schema::padded(status, width(9));
    }
    sql += QStringLiteral(" ORDER BY ") + conn.backend().germanOrder(QStringLiteral("Name"));
    std::vector<Entry> list;
    auto cur = conn.queryMany(sql, params);
    while (cur->next())
        list.push_back(readEntry(*cur));
    return list;
}

checks::Values typedValues(const Entry &e)
{
    return [e](const char *column) {
        const std::string_view c = column;
        if (c == "KursNr")
            return e.kursNr;
        if (c == "Name")
            return e.name;
        if (c == "Prioritaet")
            return e.prioritaet;
        if (c == "Quelle")
            return e.quelle;
        if (c == "Datum_von")
            return e.von.isValid() ? shortDateText(e.von) : QString();
        if (c == "Datum_bis")
            return e.bis.isValid() ? shortDateText(e.bis) : QString();
        if (c == "Status")
            return e.status;
        return QString();
    };
}

QString plannedAlready(const Entry &stored)
{
    bool ok = false;
    const int status = stored.status.toInt(&ok);
    const QString caption = ok ? lists::statusCaptions().value(status, stored.status) : stored.status;
    const auto day = [](const QDate &d) { return d.isValid() ? shortDateText(d) : QStringLiteral("?"); };
    return QStringLiteral("bereits eingeplant (%1 bis %2, %3)").arg(day(stored.von), day(stored.bis), caption);
}

PlanResult previewPlan(Connection &conn, const QString &kursNr, const QStringList &names)
{
    const QHash<QString, Entry> stored = byName(entries(conn, kursNr));
    const QSet<QString> people = employeeNames(conn);
    PlanResult r;
    for (const QString &name : names) {
        if (auto it = stored.constFind(name); it != stored.cend())
            r.left.push_back({name, plannedAlready(*it)});
        else if (!people.contains(name))
            r.left.push_back({name, kGone});
        else
            r.planned << name;
    }
    return r;
}

PlanResult plan(Connection &conn, const Entry &values, const QStringList &names, const Progress &progress)
{
    const qint64 total = names.size() + 1;
    const bool server = conn.backend().kind() == BackendKind::Postgres;
    Transaction tx(conn);
    if (!courseHeld(conn, values.kursNr))
        throw DbError(ErrRowGone, QStringLiteral("Der Kurs %1 ist nicht mehr vorhanden.").arg(values.kursNr));

    // The wanted entries go to a table of their own first, so that one
    // statement each can hold the employees, find the stored pairs and write.
    const QString rows = QStringLiteral("orv_group_rows");
    conn.exec(QStringLiteral("CREATE TEMP TABLE %1 AS SELECT * FROM Trainingsplan WHERE 1 = 0").arg(rows));
    {
        BatchInsert insert(conn, rows, entryColumns(), 50);
        QVariantList row = storedValues(values);
        qint64 done = 0;
        for (const QString &name : names) {
            if ((done & 0xff) == 0)
                report(progress, done, total);
            ++done;
            row[1] = schema::padded(name, width(1));
            insert.add(row);
        }
        insert.flush();
    }

    // The employees stay until the entries are in: another workstation's
    // delete or rename waits for this transaction. The stored column stands
    // left in each comparison, so that its trailing blanks do not count.
    QSet<QString> held;
    auto cur = conn.query(QStringLiteral("SELECT m.Name FROM Mitarbeiter m JOIN %1 g ON g.Name = m.Name").arg(rows)
                          + (server ? QStringLiteral(" FOR KEY SHARE OF m") : QString()));
    while (cur->next())
        held.insert(textOf(*cur, 0));
    QHash<QString, Entry> stored;
    cur = conn.query(QStringLiteral("SELECT %1 FROM Trainingsplan t JOIN %2 g ON t.Name = g.Name WHERE t.KursNr = ?")
                         .arg(prefixed(QStringLiteral("t")), rows),
                     {schema::padded(values.kursNr, width(0))});
    while (cur->next()) {
        Entry e = readEntry(*cur);
        stored.insert(e.name, e);
    }
    // A pair another workstation writes at this moment is left to it: the
    // statement waits for that workstation's commit and then skips the pair.
    QSet<QString> written;
    cur = conn.query(QStringLiteral("INSERT INTO Trainingsplan (%1) SELECT %2 FROM %3 g JOIN Mitarbeiter m ON m.Name "
                                    "= g.Name WHERE true ON CONFLICT DO NOTHING RETURNING Name")
                         .arg(entryColumns().join(QStringLiteral(", ")), prefixed(QStringLiteral("g")), rows));
    while (cur->next())
        written.insert(textOf(*cur, 0));
    cur.reset();
    conn.exec(QStringLiteral("DROP TABLE ") + rows);
    report(progress, total - 1, total);
    tx.commit();
    report(progress, total, total);

    PlanResult r;
    for (const QString &name : names) {
        if (auto it = stored.constFind(name); it != stored.cend())
            r.left.push_back({name, plannedAlready(*it)});
        else if (!held.contains(name))
            r.left.push_back({name, kGone});
        else if (written.contains(name))
            r.planned << name;
        else
            r.left.push_back({name, kPlannedMeanwhile});
    }
    return r;
}

bool Change::any() const
{
    return prioritaet || quelle || bemerkung || status || von || bis || rechnung || beurteilung;
}

Entry applied(const Entry &e, const Change &c)
{
    Entry n = e;
    n.prioritaet = c.prioritaet.value_or(e.prioritaet);
    n.quelle = c.quelle.value_or(e.quelle);
    n.bemerkung = c.bemerkung.value_or(e.bemerkung);
    n.status = c.status.value_or(e.status);
    n.von = c.von.value_or(e.von);
    n.bis = c.bis.value_or(e.bis);
    n.rechnung = c.rechnung.value_or(e.rechnung);
    n.beurteilung = c.beurteilung.value_or(e.beurteilung);
    return n;
}

ChangeResult previewChange(Connection &conn, const std::vector<Entry> &read, const Change &change)
{
    QHash<QString, bool> courses;
    std::optional<QSet<QString>> people;
    checks::Lookups lookups;
    lookups.keyExists = [](const QStringList &) { return false; };
    lookups.courseExists = [&](const QString &kursNr) {
        auto it = courses.find(kursNr);
        if (it == courses.end())
            it = courses.insert(kursNr, courseHeld(conn, kursNr));
        return it.value();
    };
    lookups.employeeExists = [&](const QString &name) {
        if (!people)
            people = employeeNames(conn);
        return people->contains(name);
    };
    ChangeResult r;
    for (const Entry &e : read) {
        const Entry n = applied(e, change);
        if (const checks::Fault f = checks::trainingsplan(typedValues(n), false, lookups))
            r.left.push_back({e.name, f.message});
        else if (n == e)
            r.unchanged << e.name;
        else
            r.changed << e.name;
    }
    return r;
}

ChangeResult change(Connection &conn, const std::vector<Entry> &read, const Change &change, const Progress &progress)
{
    const qint64 total = qint64(read.size()) + 1;
    const QStringList columns = entryColumns();
    Transaction tx(conn);
    ChangeResult checked = previewChange(conn, read, change);
    const QSet<QString> toWrite(checked.changed.cbegin(), checked.changed.cend());
    ChangeResult r;
    r.unchanged = checked.unchanged;
    r.left = checked.left;
    qint64 done = 0;
    for (const Entry &e : read) {
        if ((done & 0x3f) == 0)
            report(progress, done, total);
        ++done;
        if (!toWrite.contains(e.name))
            continue;
        const QVariantList before = storedValues(e);
        const QVariantList after = storedValues(applied(e, change));
        // Only the columns this entry changes; each must still hold what was
        // read, or another workstation changed it meanwhile.
        QStringList sets, unchangedSince{QStringLiteral("KursNr = ?"), QStringLiteral("Name = ?")};
        QVariantList params, compare{before[0], before[1]};
        for (int c = 2; c < columns.size(); ++c) {
            if (before[c] == after[c])
                continue;
            sets << columns[c] + QStringLiteral(" = ?");
            params << after[c];
            if (before[c].isNull())
                unchangedSince << columns[c] + QStringLiteral(" IS NULL");
            else {
                unchangedSince << columns[c] + QStringLiteral(" = ?");
                compare << before[c];
            }
        }
        const qint64 n = conn.exec(QStringLiteral("UPDATE Trainingsplan SET ") + sets.join(QStringLiteral(", "))
                                       + QStringLiteral(" WHERE ") + unchangedSince.join(QStringLiteral(" AND ")),
                                   params + compare);
        if (n > 0)
            r.changed << e.name;
        else
            r.left.push_back(
                {e.name, tables::rowExists(conn, QStringLiteral("Trainingsplan"),
                                           {QStringLiteral("KursNr"), QStringLiteral("Name")}, {before[0], before[1]})
                             ? kChangedMeanwhile
                             : kDeletedMeanwhile});
    }
    report(progress, total - 1, total);
    tx.commit();
    report(progress, total, total);
    return r;
}

qint64 remove(Connection &conn, const std::vector<Entry> &list, const Progress &progress)
{
    const qint64 total = qint64(list.size()) + 1;
    Transaction tx(conn);
    qint64 deleted = 0, done = 0;
    for (const Entry &e : list) {
        if ((done & 0x3f) == 0)
            report(progress, done, total);
        ++done;
        deleted += conn.exec(QStringLiteral("DELETE FROM Trainingsplan WHERE KursNr = ? AND Name = ?"),
                             {schema::padded(e.kursNr, width(0)), schema::padded(e.name, width(1))});
    }
    report(progress, total - 1, total);
    tx.commit();
    report(progress, total, total);
    return deleted;
}

} // namespace orv::data::group
