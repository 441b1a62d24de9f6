#pragma once
#include "data/listquery.h"
#include "reportdata/reportexport.h"
#include "reportdata/reportmodel.h"

#include <QDate>
#include <QString>
#include <QVariantList>
#include <array>
#include <functional>
#include <optional>

namespace orv::data {
class Connection;
class Backend;
} // namespace orv::data

namespace orv::reportdata {

// What the user chose in the training plan report dialog, as the controls hold it.
struct TrainingsplanSelection {
    QString vonText, bisText; // as typed; printed in the "Zeitraum:" line
    QDate von, bis;
    std::array<bool, 4> status{true, true, true, true};
    QString bereich, name, kategorie, kursNr, rubrik, art, referent, prioritaet; // empty: no filter
    std::optional<bool> rechnung, beurteilung;                                   // nullopt: no filter
    QString sortierung = QStringLiteral("Kurs-Nr.");
};

// The rows of the list with their conditions, and the selection lines they
// bring. The rows come unsorted; the list sorts them in memory by sortColumns.
struct TrainingsplanQuery {
    data::ListQuery rows;
    QString sortColumns;
    QString selectionLines; // one line per filter used, each ending in CR LF
};
TrainingsplanQuery trainingsplanQuery(const TrainingsplanSelection &sel, const data::Backend &backend);

// The column heading line, with or without the Bereich column.
QString trainingsplanHeading(bool withBereich);
// The five legend lines, CR LF separated, without a final CR LF.
QString trainingsplanLegend();

// Progress of a build: the maximum once, then the count of rows done.
struct BuildProgress {
    std::function<void(int maximum)> start;
    std::function<void(int value)> advance;
};

// Builds the "Liste Trainingsplan" from the database: header, lines, totals
// and legend. Throws data::DbError when the database fails.
ReportModel buildTrainingsplanList(data::Connection &conn, const TrainingsplanSelection &sel,
                                   const BuildProgress &progress = {});

// The same list for the spreadsheet export: the same query and rows as typed
// cells, the group (when sorted by Bereich or Rubrik) in each row's first
// column; totals and legend as the workbook shows them.
ExportJob trainingsplanExport(data::Connection &conn, const TrainingsplanSelection &sel);

} // namespace orv::reportdata
