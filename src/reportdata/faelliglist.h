#pragma once
#include "data/series.h"
#include "reportdata/reportexport.h"
#include "reportdata/reportmodel.h"

namespace orv::data {
class Connection;
}

namespace orv::reportdata {

// "Fällige Schulungen": who must repeat a training of a series by a day, with
// the last course and its date, the end of its validity and the days left
// (negative: overdue), and an entry of the series already planned. Landscape.
// Throws data::DbError when the database fails.
ReportModel buildFaelligList(data::Connection &conn, const data::series::DueSelection &sel);
// The same rows for the spreadsheet export.
ExportJob faelligExport(data::Connection &conn, const data::series::DueSelection &sel);

} // namespace orv::reportdata
