#include "import/columnmap.h"

#include <QHash>

namespace orv::import {

namespace {

// Heading keys besides the column's own name, by column.
const QHash<QString, QStringList> &variants()
{
    static const QHash<QString, QStringList> v = {
        {QStringLiteral("KursNr"), {QStringLiteral("kursnummer"), QStringLiteral("kurs"), QStringLiteral("nr")}},
        {QStringLiteral("Name"),
         {QStringLiteral("nachnamevorname"), QStringLiteral("mitarbeiter"), QStringLiteral("mitarbeitername"),
          QStringLiteral("namevorname")}},
        {QStringLiteral("Kostenstelle"), {QStringLiteral("kost"), QStringLiteral("kst")}},
        {QStringLiteral("Abteilung"), {QStringLiteral("abt")}},
        {QStringLiteral("Kategorie"), {QStringLiteral("kat")}},
        {QStringLiteral("Kosten"), {QStringLiteral("kostenjeperson"), QStringLiteral("preis")}},
        {QStringLiteral("Dauer"), {QStringLiteral("dauerinstunden"), QStringLiteral("stunden")}},
        {QStringLiteral("Prioritaet"), {QStringLiteral("prio")}},
        {QStringLiteral("Datum_von"),
         {QStringLiteral("von"), QStringLiteral("startdatum"), QStringLiteral("beginn"), QStringLiteral("datum")}},
        {QStringLiteral("Datum_bis"), {QStringLiteral("bis"), QStringLiteral("endedatum"), QStringLiteral("ende")}},
        {QStringLiteral("Rechnung"), {QStringLiteral("r"), QStringLiteral("rechnungvorhanden")}},
        {QStringLiteral("Beurteilung"),
         {QStringLiteral("s"), QStringLiteral("seminarbeurteilung"), QStringLiteral("seminarbeurteilungvorhanden")}},
    };
    return v;
}

} // namespace

QString headingKey(const QString &heading)
{
    QString key;
    for (const QChar c : heading.toLower()) {
        switch (c.unicode()) {
        case u'ä': key += QStringLiteral("ae"); break;
        case u'ö': key += QStringLiteral("oe"); break;
        case u'ü': key += QStringLiteral("ue"); break;
        case u'ß': key += QStringLiteral("ss"); break;
        default:
            if (c.isLetterOrNumber())
                key += c;
        }
    }
    return key;
}

int fieldForHeading(const data::schema::TableDef &table, const QString &heading)
{
    const QString key = headingKey(heading);
    if (key.isEmpty())
        return -1;
    for (size_t f = 0; f < table.columns.size(); ++f) {
        const QString name = QLatin1String(table.columns[f].name);
        if (key == headingKey(name) || variants().value(name).contains(key))
            return int(f);
    }
    return -1;
}

std::vector<int> mapHeadings(const data::schema::TableDef &table, const QStringList &headings)
{
    std::vector<int> map;
    std::vector<bool> taken(table.columns.size(), false);
    for (const QString &h : headings) {
        int f = fieldForHeading(table, h);
        if (f >= 0 && taken[size_t(f)])
            f = -1;
        if (f >= 0)
            taken[size_t(f)] = true;
        map.push_back(f);
    }
    return map;
}

std::vector<int> requiredFields(const data::schema::TableDef &table)
{
    static const QStringList required = {QStringLiteral("Kurs.KursNr"),
                                         QStringLiteral("Kurs.Rubrik"),
                                         QStringLiteral("Kurs.Beschreibung"),
                                         QStringLiteral("Kurs.Art"),
                                         QStringLiteral("Mitarbeiter.Name"),
                                         QStringLiteral("Mitarbeiter.Kategorie"),
                                         QStringLiteral("Mitarbeiter.Bereich"),
                                         QStringLiteral("Trainingsplan.KursNr"),
                                         QStringLiteral("Trainingsplan.Name"),
                                         QStringLiteral("Trainingsplan.Datum_von"),
                                         QStringLiteral("Trainingsplan.Datum_bis")};
    std::vector<int> fields;
    for (size_t f = 0; f < table.columns.size(); ++f)
        if (required.contains(QLatin1String(table.name) + QLatin1Char('.') + QLatin1String(table.columns[f].name)))
            fields.push_back(int(f));
    return fields;
}

QString fieldCaption(const char *column)
{
    static const QHash<QString, QString> captions = {
        {QStringLiteral("KursNr"), QStringLiteral("Kurs-Nr.")},
        {QStringLiteral("Name"), QStringLiteral("Nachname, Vorname")},
        {QStringLiteral("Kosten"), QStringLiteral("Kosten je Person")},
        {QStringLiteral("Dauer"), QStringLiteral("Dauer in Stunden")},
        {QStringLiteral("Prioritaet"), QStringLiteral("Priorität")},
        {QStringLiteral("Datum_von"), QStringLiteral("Datum von")},
        {QStringLiteral("Datum_bis"), QStringLiteral("Datum bis")},
        {QStringLiteral("Rechnung"), QStringLiteral("Rechnung vorhanden")},
        {QStringLiteral("Beurteilung"), QStringLiteral("Seminarbeurteilung vorhanden")},
    };
    const QString name = QLatin1String(column);
    return captions.value(name, name);
}

} // namespace orv::import
