#include "data/recordchecks.h"

#include "data/dates.h"
#include "data/valuelists.h"

#include <QLocale>
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

Fault fail(const char *column, const char *message) { return {QLatin1String(column), QString::fromUtf8(message)}; }

QString get(const Values &v, const char *column) { return v(column); }

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
    if (adding) {
        const QString nr = get(v, "KursNr");
        if (nr.trimmed().isEmpty())
            return fail("KursNr", "Die Eingabe einer Kurs-Nr. ist zwingend erforderlich!");
        if (lookups.keyExists({nr}))
            return fail("KursNr", "Die eingegebene Kurs-Nr. ist bereits vorhanden!");
    }
    if (const char *f =
            listFault(get(v, "Rubrik"), lists::rubrik(), "Die Eingabe einer Rubrik ist zwingend erforderlich!",
                      "Die eingegebene Rubrik ist nicht vorhanden!"))
        return fail("Rubrik", f);
    if (get(v, "Beschreibung").trimmed().isEmpty())
        return fail("Beschreibung", "Die Eingabe einer Beschreibung ist zwingend erforderlich!");
    if (const char *f = listFault(get(v, "Art"), lists::art(), "Die Eingabe einer Art ist zwingend erforderlich!",
                                  "Die eingegebene Art ist nicht vorhanden!"))
        return fail("Art", f);
    if (const char *f = amountFault(get(v, "Kosten"), 9999.99f, "Die Kosten sind ungültig!",
                                    "Die Kosten müssen zwischen 0 und 9999.99 sein!"))
        return fail("Kosten", f);
    if (const char *f =
            amountFault(get(v, "Dauer"), 999.9f, "Die Dauer ist ungültig!", "Die Dauer muß zwischen 0 und 999.9 sein!"))
        return fail("Dauer", f);
    return {};
}

Fault mitarbeiter(const Values &v, bool adding, const Lookups &lookups)
{
    if (adding) {
        const QString name = get(v, "Name");
        if (name.trimmed().isEmpty())
            return fail("Name", "Die Eingabe eines Namens ist zwingend erforderlich!");
        if (!name.contains(QLatin1String(", ")))
            return fail("Name", "Der Name muß in der Form 'Nachname, Vorname' eingegeben werden!");
        if (lookups.keyExists({name}))
            return fail("Name", "Der eingegebene Name ist bereits vorhanden!");
    }
    if (const char *f =
            listFault(get(v, "Kategorie"), lists::kategorie(), "Die Eingabe einer Kategorie ist zwingend erforderlich!",
                      "Die eingegebene Kategorie ist nicht vorhanden!"))
        return fail("Kategorie", f);
    if (const char *f = listFault(get(v, "Bereich"), lists::bereichMitarbeiter(),
                                  "Die Eingabe eines Bereiches ist zwingend erforderlich!",
                                  "Der eingegebene Bereich ist nicht vorhanden!"))
        return fail("Bereich", f);
    return {};
}

Fault trainingsplan(const Values &v, bool adding, const Lookups &lookups)
{
    const QString kursNr = get(v, "KursNr");
    const QString name = get(v, "Name");
    if (adding) {
        if (kursNr.trimmed().isEmpty() || name.trimmed().isEmpty())
            return fail("KursNr", "Die Eingabe einer Kurs-Nr. und eines Namens ist zwingend erforderlich!");
        if (lookups.keyExists({kursNr, name}))
            return fail("KursNr", "Der eingegebene Kurs mit Name ist bereits vorhanden!");
    }
    if (!lookups.courseExists(kursNr))
        return fail("KursNr", "Die eingegebene Kurs-Nr. ist nicht vorhanden!");
    if (!lookups.employeeExists(name))
        return fail("Name", "Der eingegebene Name ist nicht vorhanden!");
    if (!lists::containsTrimmed(lists::prioritaet(), get(v, "Prioritaet")))
        return fail("Prioritaet", "Die eingegebene Priorität ist nicht vorhanden!");
    if (!lists::containsTrimmed(lists::quelle(), get(v, "Quelle")))
        return fail("Quelle", "Die eingegebene Quelle ist nicht vorhanden!");
    const auto von = parseDate(get(v, "Datum_von"));
    if (!von)
        return fail("Datum_von", "Das Startdatum ist ungültig!");
    const auto bis = parseDate(get(v, "Datum_bis"));
    if (!bis)
        return fail("Datum_bis", "Das Endedatum ist ungültig!");
    if (*von > *bis)
        return fail("Datum_bis", "Das Endedatum ist vor dem Startdatum!");
    // An entry without a valid status (written elsewhere) must get one.
    const QString status = get(v, "Status");
    if (status.size() != 1 || status[0] < QLatin1Char('0') || status[0] > QLatin1Char('3'))
        return fail("Status", "Der eingegebene Status ist nicht vorhanden!");
    return {};
}

Fault forTable(const QString &table, const Values &v, bool adding, const Lookups &lookups)
{
    if (table == QLatin1String("Kurs"))
        return kurs(v, adding, lookups);
    if (table == QLatin1String("Mitarbeiter"))
        return mitarbeiter(v, adding, lookups);
    return trainingsplan(v, adding, lookups);
}

} // namespace checks
} // namespace orv::data
