#include "search/seek.h"

#include <initializer_list>
#include <utility>

namespace orv::search {

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

struct Entry {
    QString caption;
    QString field;
    QString columns;
    QString gaps;
    QString heading;
};

SeekLayout join(std::initializer_list<Entry> entries)
{
    SeekLayout layout;
    QStringList fields, columns, gaps, headings;
    for (const Entry &e : entries) {
        layout.captions << e.caption;
        fields << e.field;
        columns << e.columns;
        gaps << e.gaps;
        headings << e.heading;
    }
    layout.fields = fields.join(QLatin1Char(','));
    layout.columns = columns.join(QLatin1Char(','));
    layout.gaps = gaps.join(QLatin1Char(','));
    layout.headings = headings.join(QLatin1Char(','));
    return layout;
}

} // namespace

SeekLayout kursSeekLayout()
{
    return join({
        {"KursNr", "KursNr", "KursNr;Beschreibung", "0;3", heading({{"Kurs-Nr.", 9}, {"Beschreibung", 0}})},
        {"Rubrik", "Rubrik", "Rubrik;KursNr;Beschreibung", "0;1;3",
         heading({{"Rubrik", 41}, {"Kurs-Nr.", 9}, {"Beschreibung", 0}})},
        {"Beschreibung", "Beschreibung", "Beschreibung;KursNr", "0;1",
         heading({{"Beschreibung", 81}, {"Kurs-Nr.", 0}})},
        {"Art", "Art", "Art;KursNr;Beschreibung", "0;3;3",
         heading({{"Art", 4}, {"Kurs-Nr.", 9}, {"Beschreibung", 0}})},
        {"Referent", "Referent", "Referent;Art;KursNr;Beschreibung", "0;1;3;3",
         heading({{"Referent", 31}, {"Art", 4}, {"Kurs-Nr.", 9}, {"Beschreibung", 0}})},
    });
}

SeekLayout mitarbeiterSeekLayout()
{
    return join({
        {"Name", "Name", "Name;Kostenstelle;Abteilung;Kategorie;Bereich", "0;1;1;1;2",
         heading({{"Name", 31}, {"Kost.", 7}, {"Abteilung", 11}, {"Kat.", 5}, {"Bereich", 0}})},
        {"Kostenstelle", "Kostenstelle", "Kostenstelle;Name;Abteilung;Kategorie;Bereich", "0;1;1;1;2",
         heading({{"Kost.", 7}, {"Name", 31}, {"Abteilung", 11}, {"Kat.", 5}, {"Bereich", 0}})},
        {"Abteilung", "Abteilung", "Abteilung;Name;Kostenstelle;Kategorie;Bereich", "0;1;1;1;2",
         heading({{"Abteilung", 11}, {"Name", 31}, {"Kost.", 7}, {"Kat.", 5}, {"Bereich", 0}})},
        {"Kategorie", "Kategorie", "Kategorie;Name;Kostenstelle;Abteilung;Bereich", "0;2;1;1;1",
         heading({{"Kat.", 5}, {"Name", 31}, {"Kost.", 7}, {"Abteilung", 11}, {"Bereich", 0}})},
        {"Bereich", "Bereich", "Bereich;Name;Kostenstelle;Abteilung;Kategorie", "0;1;1;1;1",
         heading({{"Bereich", 31}, {"Name", 31}, {"Kost.", 7}, {"Abteilung", 11}, {"Kat.", 0}})},
    });
}

SeekLayout trainingsplanSeekLayout()
{
    return join({
        {"KursNr", "KursNr", "KursNr;Name;Prioritaet;Quelle;Datum_von;Datum_bis;Bemerkung", "0;3;1;4;4;1;1",
         heading({{"Kurs-Nr.", 9}, {"Name", 31}, {"Prio", 5}, {"Quelle", 7}, {"von", 11}, {"bis", 11},
                  {"Bemerkung", 0}})},
        {"Name", "Name", "Name;KursNr;Prioritaet;Quelle;Datum_von;Datum_bis;Bemerkung", "0;1;3;4;4;1;1",
         heading({{"Name", 31}, {"Kurs-Nr.", 9}, {"Prio", 5}, {"Quelle", 7}, {"von", 11}, {"bis", 11},
                  {"Bemerkung", 0}})},
        {"Priorität", "Prioritaet", "Prioritaet;KursNr;Name;Quelle;Datum_von;Datum_bis;Bemerkung", "0;4;3;1;4;1;1",
         heading({{"Prio", 5}, {"Kurs-Nr.", 9}, {"Name", 31}, {"Quelle", 7}, {"von", 11}, {"bis", 11},
                  {"Bemerkung", 0}})},
        {"Quelle", "Quelle", "Quelle;KursNr;Name;Prioritaet;Datum_von;Datum_bis;Bemerkung", "0;4;3;1;4;1;1",
         heading({{"Quelle", 7}, {"Kurs-Nr.", 9}, {"Name", 31}, {"Prio", 5}, {"von", 11}, {"bis", 11},
                  {"Bemerkung", 0}})},
        {"Datum", "Datum_von", "Datum_von;Datum_bis;KursNr;Name;Prioritaet;Quelle;Bemerkung", "0;1;1;3;1;4;4",
         heading({{"von", 11}, {"bis", 11}, {"Kurs-Nr.", 9}, {"Name", 31}, {"Prio", 5}, {"Quelle", 7},
                  {"Bemerkung", 0}})},
        {"Bemerkung", "Bemerkung", "Bemerkung;KursNr;Name", "0;1;1",
         heading({{"Bemerkung", 81}, {"Kurs", 7}, {"Name", 0}})},
    });
}

} // namespace orv::search
