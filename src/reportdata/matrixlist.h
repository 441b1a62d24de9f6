#pragma once
#include "data/matrix.h"
#include "reportdata/reportexport.h"
#include "reportdata/reportmodel.h"

#include <memory>

namespace orv::reportdata {

// "E+": the status code of a cell and the mark of its validity ("+" valid,
// "!" due, "-" expired); empty for a cell without an entry.
QString cellText(data::matrix::Cell cell);

// "Qualifikationsmatrix": the employees' names in rows, a column per course
// or series, the counts below each column, the key of the columns and the
// legend. Landscape; printed in page-wide slices of columns. Empty body for
// an empty matrix.
ReportModel matrixReport(const data::matrix::Matrix &m, const data::matrix::Selection &sel);

// The clipboard text: tab-separated with a header row, so that a
// spreadsheet takes it as a table; the counts after an empty row.
QString matrixTable(const data::matrix::Matrix &m);

// The workbook (or CSV file) of the same cells, one coloured cell per state,
// with a legend sheet. The rows routine writes the matrix given.
ExportJob matrixExport(std::shared_ptr<const data::matrix::Matrix> m, const data::matrix::Selection &sel);

} // namespace orv::reportdata
