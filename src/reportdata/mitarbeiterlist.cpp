#include "reportdata/mitarbeiterlist.h"

#include "data/connection.h"
#include "data/listquery.h"
#include "data/listtables.h"
#include "reportdata/linewriter.h"
#include "reportdata/listlayout.h"

namespace orv::reportdata {

namespace {

// The list's rows in German order of the name, for the printed list and the export alike.
SortedRows openList(data::Connection &conn)
{
    const data::ListQuery rows(data::employeeList, conn.backend());
    return SortedRows(conn, rows.sql(), rows.params(), QStringLiteral("Name"));
}
const QString kTitle = QStringLiteral("Komplettliste Mitarbeiter");

} // namespace

ReportModel buildMitarbeiterList(data::Connection &conn)
{
    SortedRows rows = openList(conn);
    return plainList(ListLayout(data::employeeList), rows, kTitle, Orientation::Portrait);
}

ExportJob mitarbeiterExport()
{
    const ListLayout cells(data::employeeList);
    ExportJob job;
    job.layout.title = kTitle;
    job.layout.dateLine = dateLine();
    job.layout.columns = cells.exportColumns();
    job.rows = [cells](data::Connection &conn, ExportWriter &w) {
        SortedRows rows = openList(conn);
        while (rows.next()) {
            cells.writeCells(w, rows);
            w.endRow();
        }
    };
    return job;
}

} // namespace orv::reportdata
