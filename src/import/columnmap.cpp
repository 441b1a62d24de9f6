#include "import/columnmap.h"

#include <QHash>

namespace orv::import {

namespace {

// Heading keys besides the column's own name, by column. A key is compared
// whole: "Personalnummer" or "Pers.-Nr." is no course number.
const QHash<QString, QStringList> &variants()
{
    static const QHash<QString, QStringList> v = {
        {QStringLiteral("KursNr"),
         {QStringLiteral("kursnummer"), QStringLiteral("kurs"), QStringLiteral("nr"), QStringLiteral("kursid"),
          QStringLiteral("kurskennung")}},
        {QStringLiteral("Name"),
         {QStringLiteral("nachnamevorname"), QStringLiteral("mitarbeiter"), QStringLiteral("mitarbeitername"),
          QStringLiteral("namevorname"), QStringLiteral("nachname"), QStringLiteral("familienname"),
          QStringLiteral("zuname"), QStringLiteral("teilnehmer"), QStringLiteral("teilnehmername")}},
        {QStringLiteral("Beschreibung"),
         {QStringLiteral("kursbeschreibung"), QStringLiteral("bezeichnung"), QStringLiteral("titel"),
          QStringLiteral("kurstitel"), QStringLiteral("kursname"), QStringLiteral("thema")}},
        {QStringLiteral("Art"), {QStringLiteral("kursart")}},
        {QStringLiteral("Referent"),
         {QStringLiteral("referentin"), QStringLiteral("trainer"), QStringLiteral("trainerin"),
          QStringLiteral("dozent"), QStringLiteral("dozentin")}},
        {QStringLiteral("Kostenstelle"),
         {QStringLiteral("kost"), QStringLiteral("kst"), QStringLiteral("kostenst"), QStringLiteral("kstnr")}},
        {QStringLiteral("Abteilung"), {QStringLiteral("abt"), QStringLiteral("abteilungsname")}},
        {QStringLiteral("Kategorie"), {QStringLiteral("kat"), QStringLiteral("mitarbeiterkategorie")}},
        {QStringLiteral("Kosten"),
         {QStringLiteral("kostenjeperson"), QStringLiteral("preis"), QStringLiteral("kosteneur"),
          QStringLiteral("kosteneuro"), QStringLiteral("kostenjeteilnehmer"), QStringLiteral("preiseur"),
          QStringLiteral("gebuehr")}},
        {QStringLiteral("Dauer"),
         {QStringLiteral("dauerinstunden"), QStringLiteral("stunden"), QStringLiteral("dauerstd"),
          QStringLiteral("dauerh"), QStringLiteral("std"), QStringLiteral("dauerstunden")}},
        {QStringLiteral("Prioritaet"), {QStringLiteral("prio")}},
        {QStringLiteral("Quelle"), {QStringLiteral("bedarfsquelle")}},
        {QStringLiteral("Datum_von"),
         {QStringLiteral("von"), QStringLiteral("startdatum"), QStringLiteral("beginn"), QStringLiteral("datum"),
          QStringLiteral("start"), QStringLiteral("vom"), QStringLiteral("anfang")}},
        {QStringLiteral("Datum_bis"),
         {QStringLiteral("bis"), QStringLiteral("endedatum"), QStringLiteral("ende"), QStringLiteral("enddatum")}},
        {QStringLiteral("Rechnung"), {QStringLiteral("r"), QStringLiteral("rechnungvorhanden")}},
        {QStringLiteral("Beurteilung"),
         {QStringLiteral("s"), QStringLiteral("seminarbeurteilung"), QStringLiteral("seminarbeurteilungvorhanden")}},
        {QStringLiteral("Reihe"),
         {QStringLiteral("kursreihe"), QStringLiteral("serie"), QStringLiteral("reihenkuerzel")}},
        {QStringLiteral("Gueltigkeit"),
         {QStringLiteral("gueltigkeitmonate"), QStringLiteral("gueltigkeitinmonaten"), QStringLiteral("monate"),
          QStringLiteral("gueltigmonate")}},
        {QStringLiteral("Bemerkung"),
         {QStringLiteral("bemerkungen"), QStringLiteral("kommentar"), QStringLiteral("anmerkung"),
          QStringLiteral("notiz")}},
    };
    return v;
}

// A name field that may be joined from a surname column and these.
const QStringList kSurnames = {QStringLiteral("name"), QStringLiteral("nachname"), QStringLiteral("familienname"),
                               QStringLiteral("zuname")};
const QStringList kFirstNames = {QStringLiteral("vorname"), QStringLiteral("rufname")};
const QString kJoinName = QStringLiteral(", ");

int fieldIndex(const data::schema::TableDef &table, const QString &column)
{
    for (size_t f = 0; f < table.columns.size(); ++f)
        if (QLatin1String(table.columns[f].name) == column)
            return int(f);
    return -1;
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

Mapping mapHeadings(const data::schema::TableDef &table, const QStringList &headings)
{
    Mapping map(table.columns.size());
    for (int c = 0; c < int(headings.size()); ++c) {
        const int f = fieldForHeading(table, headings[c]);
        if (f >= 0 && map[size_t(f)].columns.empty())
            map[size_t(f)] = {{c}, {QString()}};
    }
    // A surname column with a first-name column beside it: one name.
    const int name = fieldIndex(table, QStringLiteral("Name"));
    if (name >= 0 && map[size_t(name)].columns.size() == 1
        && kSurnames.contains(headingKey(headings.value(map[size_t(name)].columns[0])))) {
        for (int c = 0; c < int(headings.size()); ++c) {
            if (kFirstNames.contains(headingKey(headings[c]))) {
                map[size_t(name)].columns.push_back(c);
                map[size_t(name)].separators.push_back(kJoinName);
                break;
            }
        }
    }
    return map;
}

std::vector<int> fieldsOfColumns(const Mapping &mapping, qsizetype columns)
{
    std::vector<int> fields(size_t(qMax<qsizetype>(columns, 0)), -1);
    for (size_t f = 0; f < mapping.size(); ++f)
        for (const int c : mapping[f].columns)
            if (c >= 0 && size_t(c) < fields.size())
                fields[size_t(c)] = int(f);
    return fields;
}

QString rememberMapping(const QString &before, const Mapping &mapping, const data::schema::TableDef &table,
                        const QStringList &headings)
{
    QStringList keys;
    for (const QString &h : headings)
        keys << headingKey(h);
    QStringList lines;
    // What was kept for headings this file does not have stays.
    for (const QString &line : before.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!keys.contains(line.section(QLatin1Char('\t'), 0, 0)))
            lines << line;
    const std::vector<int> fields = fieldsOfColumns(mapping, headings.size());
    for (size_t f = 0; f < mapping.size(); ++f)
        for (size_t p = 0; p < mapping[f].columns.size(); ++p) {
            const int c = mapping[f].columns[p];
            if (c >= 0 && c < int(keys.size()) && !keys[c].isEmpty())
                lines << keys[c] + QLatin1Char('\t') + QLatin1String(table.columns[f].name) + QLatin1Char('\t')
                             + mapping[f].separator(p);
        }
    for (int c = 0; c < int(keys.size()); ++c)
        if (fields[size_t(c)] < 0 && !keys[c].isEmpty())
            lines << keys[c] + QStringLiteral("\t-\t");
    lines.removeDuplicates();
    return lines.join(QLatin1Char('\n'));
}

Mapping applyRemembered(Mapping mapping, const QString &remembered, const data::schema::TableDef &table,
                        const QStringList &headings)
{
    QStringList keys;
    for (const QString &h : headings)
        keys << headingKey(h);
    std::vector<bool> fresh(mapping.size(), false); // fields given anew from what was kept
    for (const QString &line : remembered.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(QLatin1Char('\t'));
        const int c = int(keys.indexOf(parts.value(0)));
        if (c < 0 || parts.value(0).isEmpty())
            continue;
        // The column leaves the field it was proposed for.
        for (FieldColumns &fc : mapping)
            for (size_t p = 0; p < fc.columns.size(); ++p)
                if (fc.columns[p] == c) {
                    fc.columns.erase(fc.columns.begin() + qsizetype(p));
                    fc.separators.erase(fc.separators.begin() + qsizetype(p));
                    break;
                }
        const int f = fieldIndex(table, parts.value(1));
        if (f < 0)
            continue;
        FieldColumns &fc = mapping[size_t(f)];
        if (!fresh[size_t(f)]) {
            fc = {};
            fresh[size_t(f)] = true;
        }
        fc.columns.push_back(c);
        fc.separators.push_back(fc.columns.size() > 1 ? parts.value(2) : QString());
    }
    for (FieldColumns &fc : mapping)
        if (!fc.separators.empty())
            fc.separators[0].clear();
    return mapping;
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
        {QStringLiteral("Gueltigkeit"), QStringLiteral("Gültigkeit (Monate)")},
    };
    const QString name = QLatin1String(column);
    return captions.value(name, name);
}

} // namespace orv::import
