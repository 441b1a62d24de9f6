#pragma once
#include "reportdata/reportexport.h"
#include "reportdata/reportmodel.h"

namespace orv::data {
class Connection;
}

namespace orv::reportdata {

// "Komplettliste Mitarbeiter": every employee in the German order of the
// name, portrait. Throws data::DbError when the database fails.
ReportModel buildMitarbeiterList(data::Connection &conn);
// The same rows for the spreadsheet export.
ExportJob mitarbeiterExport();

} // namespace orv::reportdata
