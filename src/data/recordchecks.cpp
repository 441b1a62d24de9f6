#include "data/recordchecks.h"

#include "data/dates.h"
#include "data/dbtext.h"
#include "data/schema.h"
#include "data/valuelists.h"

#include <QLocale>
#include <QSet>
#include <cmath>

namespace orv::data {

std::optional<double> parseNumber(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const QLocale loc;
    double v = loc.toDouble(text, &ok);
    // Thousands separators are accepted by the locale; a plain decimal point is not
    // a German number. "nan" and "inf" pass the parser but are no amounts: every
    // range check would let them through.
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

namespace checks {
namespace {

QStringList trimmedItems(const QStringList &items)
{
    QStringList out;
    for (const QString &i : items)
        out << i.trimmed();
    return out;
}

// One run of a table's checks: the first fault only (a window) or all of them (a file's row).
class Run {
public:
    Run(const schema::TableDef &table, const Values &v, bool all, const Unreadable &unreadable)
        : m_table(table), m_values(v), m_all(all), m_unreadable(unreadable)
    {
    }

    // No further check once the first fault is found, unless all are wanted.
    bool done() const { return !m_all && !m_faults.empty(); }
    QString value(const char *column) const { return m_values(column); }

    // Starts a column's checks: false when it is unreadable (that fault
    // stands for it) or when no more checks are wanted.
    bool start(const char *column)
    {
        if (done())
            return false;
        if (m_unreadable) {
            if (const QString why = m_unreadable(column); !why.isEmpty()) {
                m_faults.push_back({QLatin1String(column), why, {}});
                m_skipped.insert(QLatin1String(column));
                return false;
            }
        }
        return true;
    }
    bool readable(const char *column) const { return !m_skipped.contains(QLatin1String(column)); }

    void fail(const char *column, const char *message, const QStringList &allowed = {})
    {
        if (!done())
            m_faults.push_back({QLatin1String(column), QString::fromUtf8(message), allowed});
    }
    void fail(const char *column, const QString &message)
    {
        if (!done())
            m_faults.push_back({QLatin1String(column), message, {}});
    }
    bool failed(const char *column) const
    {
        for (const Fault &f : m_faults)
            if (f.column == QLatin1String(column))
                return true;
        return false;
    }

    // A text that does not fit its column. The windows' fields never take
    // one: only a file's row (all faults) is checked for it.
    void length(const char *column)
    {
        if (!m_all || done() || failed(column))
            return;
        const schema::ColumnDef *c = schema::findColumn(m_table, QLatin1String(column));
        QString text = value(column);
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        if (c && c->width > 0 && characterCount(text) > c->width)
            fail(column, QStringLiteral("Der Text ist länger als %1 Zeichen.").arg(c->width));
    }

    // A required value of a list, then its length.
    void list(const char *column, const QStringList &items, const char *empty, const char *unknown)
    {
        if (!start(column))
            return;
        if (const char *f = listFault(value(column), items, empty, unknown))
            fail(column, f, f == unknown ? trimmedItems(items) : QStringList());
        length(column);
    }
    // A text column without a check of its own in the window.
    void text(const char *column)
    {
        if (start(column))
            length(column);
    }

    std::vector<Fault> take() { return std::move(m_faults); }

private:
    const schema::TableDef &m_table;
    const Values &m_values;
    bool m_all;
    const Unreadable &m_unreadable;
    std::vector<Fault> m_faults;
    QSet<QString> m_skipped;
};

bool keyTaken(Run &run, const Lookups &lookups, const QStringList &key, const char *column, const char *message)
{
    if (lookups.keyTaken) {
        const QString why = lookups.keyTaken(key);
        if (!why.isEmpty())
            run.fail(column, why);
        return !why.isEmpty();
    }
    if (lookups.keyExists && lookups.keyExists(key)) {
        run.fail(column, message);
        return true;
    }
    return false;
}

void amount(Run &run, const char *column, float maximum, const char *invalid, const char *outOfRange)
{
    if (run.start(column))
        if (const char *f = amountFault(run.value(column), maximum, invalid, outOfRange))
            run.fail(column, f);
}

void kursChecks(Run &run, bool adding, const Lookups &lookups)
{
    if (run.start("KursNr")) {
        const QString nr = run.value("KursNr");
        if (adding && nr.trimmed().isEmpty())
            run.fail("KursNr", "Die Eingabe einer Kurs-Nr. ist zwingend erforderlich!");
        else if (adding && !run.done())
            keyTaken(run, lookups, {nr}, "KursNr", "Die eingegebene Kurs-Nr. ist bereits vorhanden!");
        run.length("KursNr");
    }
    run.list("Rubrik", lists::rubrik(), "Die Eingabe einer Rubrik ist zwingend erforderlich!",
             "Die eingegebene Rubrik ist nicht vorhanden!");
    if (run.start("Beschreibung")) {
        if (run.value("Beschreibung").trimmed().isEmpty())
            run.fail("Beschreibung", "Die Eingabe einer Beschreibung ist zwingend erforderlich!");
        run.length("Beschreibung");
    }
    run.list("Art", lists::art(), "Die Eingabe einer Art ist zwingend erforderlich!",
             "Die eingegebene Art ist nicht vorhanden!");
    run.text("Referent");
    amount(run, "Kosten", 9999.99f, "Die Kosten sind ungültig!", "Die Kosten müssen zwischen 0 und 9999.99 sein!");
    amount(run, "Dauer", 999.9f, "Die Dauer ist ungültig!", "Die Dauer muß zwischen 0 und 999.9 sein!");
}

void mitarbeiterChecks(Run &run, bool adding, const Lookups &lookups)
{
    if (run.start("Name")) {
        const QString name = run.value("Name");
        if (adding && name.trimmed().isEmpty())
            run.fail("Name", "Die Eingabe eines Namens ist zwingend erforderlich!");
        else if (adding && !name.contains(QLatin1String(", ")))
            run.fail("Name", "Der Name muß in der Form 'Nachname, Vorname' eingegeben werden!");
        run.length("Name");
        if (adding && !run.failed("Name") && !run.done())
            keyTaken(run, lookups, {name}, "Name", "Der eingegebene Name ist bereits vorhanden!");
    }
    run.text("Kostenstelle");
    run.text("Abteilung");
    run.list("Kategorie", lists::kategorie(), "Die Eingabe einer Kategorie ist zwingend erforderlich!",
             "Die eingegebene Kategorie ist nicht vorhanden!");
    run.list("Bereich", lists::bereichMitarbeiter(), "Die Eingabe eines Bereiches ist zwingend erforderlich!",
             "Der eingegebene Bereich ist nicht vorhanden!");
}

void trainingsplanChecks(Run &run, bool adding, const Lookups &lookups)
{
    const bool kursReadable = run.start("KursNr");
    const bool nameReadable = !run.done() && run.start("Name");
    if (run.done())
        return;
    const QString kursNr = run.value("KursNr");
    const QString name = run.value("Name");
    const bool kursGiven = !kursNr.trimmed().isEmpty(), nameGiven = !name.trimmed().isEmpty();
    if (kursReadable && nameReadable && adding) {
        if (!kursGiven || !nameGiven)
            run.fail("KursNr", "Die Eingabe einer Kurs-Nr. und eines Namens ist zwingend erforderlich!");
        else
            keyTaken(run, lookups, {kursNr, name}, "KursNr", "Der eingegebene Kurs mit Name ist bereits vorhanden!");
    }
    // A stored entry with an empty key (written elsewhere) has neither course nor employee.
    if (kursReadable && !run.done() && (kursGiven || !adding) && !(kursGiven && lookups.courseExists(kursNr)))
        run.fail("KursNr", "Die eingegebene Kurs-Nr. ist nicht vorhanden!");
    if (nameReadable && !run.done() && (nameGiven || !adding) && !(nameGiven && lookups.employeeExists(name)))
        run.fail("Name", "Der eingegebene Name ist nicht vorhanden!");
    if (kursReadable)
        run.length("KursNr");
    if (nameReadable)
        run.length("Name");
    if (run.start("Prioritaet") && !lists::containsTrimmed(lists::prioritaet(), run.value("Prioritaet")))
        run.fail("Prioritaet", "Die eingegebene Priorität ist nicht vorhanden!", trimmedItems(lists::prioritaet()));
    if (run.start("Quelle") && !lists::containsTrimmed(lists::quelle(), run.value("Quelle")))
        run.fail("Quelle", "Die eingegebene Quelle ist nicht vorhanden!", trimmedItems(lists::quelle()));
    std::optional<QDate> von, bis;
    if (run.start("Datum_von")) {
        von = parseDate(run.value("Datum_von"));
        if (!von)
            run.fail("Datum_von", "Das Startdatum ist ungültig!");
    }
    if (run.start("Datum_bis")) {
        bis = parseDate(run.value("Datum_bis"));
        if (!bis)
            run.fail("Datum_bis", "Das Endedatum ist ungültig!");
        else if (von && *von > *bis)
            run.fail("Datum_bis", "Das Endedatum ist vor dem Startdatum!");
    }
    run.start("Rechnung");
    run.start("Beurteilung");
    run.text("Bemerkung");
    // An entry without a valid status (written elsewhere) must get one.
    if (run.start("Status")) {
        const QString status = run.value("Status");
        if (status.size() != 1 || status[0] < QLatin1Char('0') || status[0] > QLatin1Char('3'))
            run.fail("Status", "Der eingegebene Status ist nicht vorhanden!",
                     {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    }
}

std::vector<Fault> runChecks(const QString &table, const Values &v, bool adding, const Lookups &lookups, bool all,
                             const Unreadable &unreadable)
{
    const schema::TableDef *def = schema::findTable(table);
    if (!def)
        return {};
    Run run(*def, v, all, unreadable);
    if (table == QLatin1String("Kurs"))
        kursChecks(run, adding, lookups);
    else if (table == QLatin1String("Mitarbeiter"))
        mitarbeiterChecks(run, adding, lookups);
    else
        trainingsplanChecks(run, adding, lookups);
    return run.take();
}

Fault first(std::vector<Fault> faults) { return faults.empty() ? Fault{} : std::move(faults.front()); }

} // namespace

const char *listFault(const QString &text, const QStringList &items, const char *empty, const char *unknown)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return empty;
    return lists::containsTrimmed(items, t) ? nullptr : unknown;
}

const char *amountFault(const QString &text, float maximum, const char *invalid, const char *outOfRange)
{
    const auto number = parseNumber(text);
    if (!number)
        return invalid;
    const float v = float(*number);
    return v < 0.0f || v > maximum ? outOfRange : nullptr;
}

Fault kurs(const Values &v, bool adding, const Lookups &lookups)
{
    return first(runChecks(QStringLiteral("Kurs"), v, adding, lookups, false, {}));
}

Fault mitarbeiter(const Values &v, bool adding, const Lookups &lookups)
{
    return first(runChecks(QStringLiteral("Mitarbeiter"), v, adding, lookups, false, {}));
}

Fault trainingsplan(const Values &v, bool adding, const Lookups &lookups)
{
    return first(runChecks(QStringLiteral("Trainingsplan"), v, adding, lookups, false, {}));
}

Fault forTable(const QString &table, const Values &v, bool adding, const Lookups &lookups)
{
    return first(runChecks(table, v, adding, lookups, false, {}));
}

std::vector<Fault> allFaults(const QString &table, const Values &v, bool adding, const Lookups &lookups,
                             const Unreadable &unreadable)
{
    return runChecks(table, v, adding, lookups, true, unreadable);
}

} // namespace checks
} // namespace orv::data
