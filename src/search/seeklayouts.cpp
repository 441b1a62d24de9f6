#include "search/seek.h"

#include <initializer_list>
#include <utility>

namespace orv::search {

using namespace Qt::StringLiterals;

namespace {

// One heading: each title padded with blanks to the width its column takes
// in a result line (value width plus the next column's gap); the last title
// stands as it is.
QString heading(std::initializer_list<std::pair<const char *, int>> titles)
{
    QString line;
    for (const auto &[title, width] : titles)
        line += QString::fromUtf8(title).leftJustified(width, QLatin1Char(' '));
    return line;
}

} // namespace

// The layouts as tables: one search field a line.
// clang-format off
SeekLayout kursSeekLayout()
{
    return {
        {u"KursNr"_s, u"KursNr"_s, {{u"KursNr"_s, 0}, {u"Beschreibung"_s, 3}}, heading({{"Kurs-Nr.", 9}, {"Beschreibung", 0}})},
        {u"Rubrik"_s, u"Rubrik"_s, {{u"Rubrik"_s, 0}, {u"KursNr"_s, 1}, {u"Beschreibung"_s, 3}},
         heading({{"Rubrik", 41}, {"Kurs-Nr.", 9}, {"Beschreibung", 0}})},
        {u"Beschreibung"_s, u"Beschreibung"_s, {{u"Beschreibung"_s, 0}, {u"KursNr"_s, 1}},
         heading({{"Beschreibung", 81}, {"Kurs-Nr.", 0}})},
        {u"Art"_s, u"Art"_s, {{u"Art"_s, 0}, {u"KursNr"_s, 3}, {u"Beschreibung"_s, 3}},
         heading({{"Art", 4}, {"Kurs-Nr.", 9}, {"Beschreibung", 0}})},
        {u"Referent"_s, u"Referent"_s, {{u"Referent"_s, 0}, {u"Art"_s, 1}, {u"KursNr"_s, 3}, {u"Beschreibung"_s, 3}},
         heading({{"Referent", 31}, {"Art", 4}, {"Kurs-Nr.", 9}, {"Beschreibung", 0}})},
    };
}

SeekLayout mitarbeiterSeekLayout()
{
    return {
        {u"Name"_s, u"Name"_s, {{u"Name"_s, 0}, {u"Kostenstelle"_s, 1}, {u"Abteilung"_s, 1}, {u"Kategorie"_s, 1}, {u"Bereich"_s, 2}},
         heading({{"Name", 31}, {"Kost.", 7}, {"Abteilung", 11}, {"Kat.", 5}, {"Bereich", 0}})},
        {u"Kostenstelle"_s, u"Kostenstelle"_s, {{u"Kostenstelle"_s, 0}, {u"Name"_s, 1}, {u"Abteilung"_s, 1}, {u"Kategorie"_s, 1}, {u"Bereich"_s, 2}},
         heading({{"Kost.", 7}, {"Name", 31}, {"Abteilung", 11}, {"Kat.", 5}, {"Bereich", 0}})},
        {u"Abteilung"_s, u"Abteilung"_s, {{u"Abteilung"_s, 0}, {u"Name"_s, 1}, {u"Kostenstelle"_s, 1}, {u"Kategorie"_s, 1}, {u"Bereich"_s, 2}},
         heading({{"Abteilung", 11}, {"Name", 31}, {"Kost.", 7}, {"Kat.", 5}, {"Bereich", 0}})},
        {u"Kategorie"_s, u"Kategorie"_s, {{u"Kategorie"_s, 0}, {u"Name"_s, 2}, {u"Kostenstelle"_s, 1}, {u"Abteilung"_s, 1}, {u"Bereich"_s, 1}},
         heading({{"Kat.", 5}, {"Name", 31}, {"Kost.", 7}, {"Abteilung", 11}, {"Bereich", 0}})},
        {u"Bereich"_s, u"Bereich"_s, {{u"Bereich"_s, 0}, {u"Name"_s, 1}, {u"Kostenstelle"_s, 1}, {u"Abteilung"_s, 1}, {u"Kategorie"_s, 1}},
         heading({{"Bereich", 31}, {"Name", 31}, {"Kost.", 7}, {"Abteilung", 11}, {"Kat.", 0}})},
    };
}

SeekLayout trainingsplanSeekLayout()
{
    return {
        {u"KursNr"_s, u"KursNr"_s, {{u"KursNr"_s, 0}, {u"Name"_s, 3}, {u"Prioritaet"_s, 1}, {u"Quelle"_s, 4}, {u"Datum_von"_s, 4}, {u"Datum_bis"_s, 1}, {u"Bemerkung"_s, 1}},
         heading({{"Kurs-Nr.", 9}, {"Name", 31}, {"Prio", 5}, {"Quelle", 7}, {"von", 11}, {"bis", 11},
                  {"Bemerkung", 0}})},
        {u"Name"_s, u"Name"_s, {{u"Name"_s, 0}, {u"KursNr"_s, 1}, {u"Prioritaet"_s, 3}, {u"Quelle"_s, 4}, {u"Datum_von"_s, 4}, {u"Datum_bis"_s, 1}, {u"Bemerkung"_s, 1}},
         heading({{"Name", 31}, {"Kurs-Nr.", 9}, {"Prio", 5}, {"Quelle", 7}, {"von", 11}, {"bis", 11},
                  {"Bemerkung", 0}})},
        {u"Priorität"_s, u"Prioritaet"_s, {{u"Prioritaet"_s, 0}, {u"KursNr"_s, 4}, {u"Name"_s, 3}, {u"Quelle"_s, 1}, {u"Datum_von"_s, 4}, {u"Datum_bis"_s, 1}, {u"Bemerkung"_s, 1}},
         heading({{"Prio", 5}, {"Kurs-Nr.", 9}, {"Name", 31}, {"Quelle", 7}, {"von", 11}, {"bis", 11},
                  {"Bemerkung", 0}})},
        {u"Quelle"_s, u"Quelle"_s, {{u"Quelle"_s, 0}, {u"KursNr"_s, 4}, {u"Name"_s, 3}, {u"Prioritaet"_s, 1}, {u"Datum_von"_s, 4}, {u"Datum_bis"_s, 1}, {u"Bemerkung"_s, 1}},
         heading({{"Quelle", 7}, {"Kurs-Nr.", 9}, {"Name", 31}, {"Prio", 5}, {"von", 11}, {"bis", 11},
                  {"Bemerkung", 0}})},
        {u"Datum"_s, u"Datum_von"_s, {{u"Datum_von"_s, 0}, {u"Datum_bis"_s, 1}, {u"KursNr"_s, 1}, {u"Name"_s, 3}, {u"Prioritaet"_s, 1}, {u"Quelle"_s, 4}, {u"Bemerkung"_s, 4}},
         heading({{"von", 11}, {"bis", 11}, {"Kurs-Nr.", 9}, {"Name", 31}, {"Prio", 5}, {"Quelle", 7},
                  {"Bemerkung", 0}})},
        {u"Bemerkung"_s, u"Bemerkung"_s, {{u"Bemerkung"_s, 0}, {u"KursNr"_s, 1}, {u"Name"_s, 1}},
         heading({{"Bemerkung", 81}, {"Kurs", 7}, {"Name", 0}})},
    };
}

// clang-format on

} // namespace orv::search
