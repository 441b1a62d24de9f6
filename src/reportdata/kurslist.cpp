#include "reportdata/kurslist.h"

#include "data/connection.h"
#include "data/listquery.h"
#include "data/listtables.h"
#include "reportdata/linewriter.h"
#include "reportdata/listlayout.h"

namespace orv::reportdata {

namespace {

// Both the printed list and the export sort by course number, in German order.
const QString kSortColumns = QStringLiteral("KursNr");

// The list's statement and title by the chosen list.
struct KursList {
    QString sql;
    QVariantList params;
    QString title;
};
KursList kursList(const KursSelection &sel, const data::Backend &backend)
{
    data::ListQuery rows(data::courseList, backend);
    QString title = QStringLiteral("Komplettliste Kurse");
    switch (sel.list) {
    case KursSelection::List::All: break;
    case KursSelection::List::Rubrik:
        rows.equals("Rubrik", sel.rubrik);
        if (!sel.rubrik.isEmpty())
            title = QStringLiteral("Liste Kurse mit Rubrik = ") + sel.rubrik;
        break;
    case KursSelection::List::Referent:
        // Contains the text, ignoring case; the empty text takes every course with a trainer.
        rows.contains("Referent", sel.referent);
        if (!sel.referent.isEmpty())
            title = QStringLiteral("Liste Kurse mit Referent = ") + sel.referent.trimmed();
        break;
    }
    return {rows.sql(), rows.params(), title};
}

} // namespace

ReportModel buildKursList(data::Connection &conn, const KursSelection &sel)
{
    const KursList list = kursList(sel, conn.backend());
    SortedRows rows(conn, list.sql, list.params, kSortColumns);
    return plainList(ListLayout(data::courseList), rows, list.title, Orientation::Landscape);
}

ExportJob kursExport(data::Connection &conn, const KursSelection &sel)
{
    const KursList list = kursList(sel, conn.backend());
    const ListLayout cells(data::courseList);
    ExportJob job;
    job.layout.title = list.title;
    job.layout.dateLine = dateLine();
    job.layout.columns = cells.exportColumns();
    job.rows = [list, cells](data::Connection &c, ExportWriter &w) {
        SortedRows cur(c, list.sql, list.params, kSortColumns);
        while (cur.next()) {
            cells.writeCells(w, cur);
            w.endRow();
        }
    };
    return job;
}

} // namespace orv::reportdata
