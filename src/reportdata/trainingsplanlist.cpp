#include "reportdata/trainingsplanlist.h"

#include "data/connection.h"
#include "data/dbtext.h"
#include "data/listtables.h"
#include "data/valuelists.h"
#include "reportdata/linewriter.h"
#include "reportdata/listlayout.h"

#include <string>
#include <string_view>

namespace orv::reportdata {

namespace {

QString blanks(int n) { return QString(n, QLatin1Char(' ')); }

struct SortOrder {
    const char *text;
    const char *columns; // text columns in German order; Datum_von is a date
};

const SortOrder sortOrders[] = {
    {"Bereich", "Bereich,KursNr,Name"},      {"Name", "Name,KursNr"},
    {"Kategorie", "Kategorie,KursNr,Name"},  {"Kurs-Nr.", "KursNr,Name"},
    {"Rubrik", "Rubrik,KursNr,Name"},        {"Art", "Art,KursNr,Name"},
    {"Referent", "Referent,KursNr,Name"},    {"Priorität", "Prioritaet,KursNr,Name"},
    {"Startdatum", "Datum_von,KursNr,Name"}, {"Status", "Status,KursNr,Name"},
};

QString sortColumnsFor(const QString &sortText)
{
    const SortOrder *order = &sortOrders[3]; // any other text: course number and name
    for (const SortOrder &o : sortOrders)
        if (sortText == QString::fromUtf8(o.text))
            order = &o;
    return QString::fromLatin1(order->columns);
}

// The list's table, and the positions of the columns that group the lines.
constexpr const data::ListTable &kList = data::trainingPlanList;
constexpr int kBereich = kList.indexOf("Bereich"), kRubrik = kList.indexOf("Rubrik");

// Without a filter on Bereich the lines show it; with one, it would be the same on every line.
ListLayout layoutFor(bool withBereich) { return withBereich ? ListLayout(kList) : ListLayout(kList, {kBereich}); }

enum class Group { None, Bereich, Rubrik };
Group groupOf(const TrainingsplanSelection &sel)
{
    return sel.sortierung == QLatin1String("Bereich")  ? Group::Bereich
           : sel.sortierung == QLatin1String("Rubrik") ? Group::Rubrik
                                                       : Group::None;
}

int groupColumn(Group group) { return group == Group::Bereich ? kBereich : kRubrik; }

// Sorted by Bereich or Rubrik, a change of the value opens a group: its value, or nothing.
struct GroupState {
    std::string bytes; // as stored, to pass over the rows of the same group cheaply
    QString value;
};
std::optional<QString> nextGroup(Group group, data::Cursor &cur, GroupState &state)
{
    if (group == Group::None)
        return std::nullopt;
    const std::string_view v = cur.textBytes(groupColumn(group));
    if (v == state.bytes)
        return std::nullopt;
    state.bytes.assign(v);
    QString value = data::fromDbText(v);
    if (value == state.value)
        return std::nullopt;
    state.value = value;
    return value.trimmed();
}

QString headerOf(const TrainingsplanSelection &sel, const TrainingsplanQuery &q)
{
    return QStringLiteral("Zeitraum:    ") + sel.vonText + QStringLiteral(" bis ") + sel.bisText + crlf
           + q.selectionLines + QStringLiteral("Sortierung:  ") + sel.sortierung + crlf;
}

} // namespace

TrainingsplanQuery trainingsplanQuery(const TrainingsplanSelection &sel, const data::Backend &backend)
{
    TrainingsplanQuery q{data::ListQuery(data::trainingPlanList, backend), sortColumnsFor(sel.sortierung), QString()};
    // The period selects on the start date only.
    q.rows.between("Datum_von", sel.von, sel.bis);
    QVariantList statuses;
    for (int i = 0; i < 4; ++i) {
        if (sel.status[i])
            statuses << QString::number(i);
    }
    q.rows.oneOf("Status", statuses);

    auto line = [&](const char *label, const QString &value) {
        q.selectionLines += QString::fromUtf8(label) + value + crlf;
    };
    auto equals = [&](const QString &value, const char *column, const char *label) {
        if (value.isEmpty())
            return;
        q.rows.equals(column, value);
        line(label, value);
    };
    // Contains (or starts with) the typed text, ignoring case.
    auto like = [&](const QString &value, const char *column, const char *label, bool anywhere) {
        if (value.isEmpty())
            return;
        anywhere ? q.rows.contains(column, value) : q.rows.startsWith(column, value);
        line(label, value);
    };
    auto yesNo = [&](const std::optional<bool> &value, const char *column, const char *label) {
        if (!value)
            return;
        q.rows.equals(column, *value);
        line(label, *value ? QStringLiteral("vorhanden") : QStringLiteral("nicht vorhanden"));
    };
    equals(sel.bereich, "Bereich", "Bereich:     ");
    like(sel.name, "Trainingsplan.Name", "Name:        ", true);
    equals(sel.kategorie, "Kategorie", "Kategorie:   ");
    like(sel.kursNr, "Trainingsplan.KursNr", "Kurs-Nr.:    ", false);
    equals(sel.rubrik, "Rubrik", "Rubrik:      ");
    equals(sel.art, "Art", "Art:         ");
    like(sel.referent, "Referent", "Referent:    ", true);
    equals(sel.prioritaet, "Prioritaet", "Priorität:   ");
    yesNo(sel.rechnung, "Rechnung", "Rechnung:    ");
    yesNo(sel.beurteilung, "Beurteilung", "Beurteilung: ");
    return q;
}

QString trainingsplanHeading(bool withBereich) { return layoutFor(withBereich).heading(); }

QString trainingsplanLegend()
{
    namespace lists = data::lists;
    // The four blocks start at 14, 52, 79 and 117.
    auto row = [](const QString &lead, const QString &art, const QString &kat, const QString &rs,
                  const QString &status) {
        return lead.leftJustified(14) + art.leftJustified(38) + kat.leftJustified(27) + rs.leftJustified(38) + status;
    };
    const QStringList arts = lists::art();
    const QStringList kats = lists::kategorie();
    QStringList lines;
    lines << row(QStringLiteral("Legende:"), QStringLiteral("Art:"), QStringLiteral("Kategorie:"),
                 QStringLiteral("R/S:"), QStringLiteral("Status:"));
    const QString rs[3] = {QStringLiteral("R = Rechnung vorhanden"), QStringLiteral("S = Seminarbeurteilung vorhanden"),
                           QString()};
    for (int i = 0; i < 3; ++i)
        lines << row(QString(), lists::artLegend(arts.value(i)), lists::kategorieLegend(kats.value(i)), rs[i],
                     lists::statusLegend(i));
    lines << blanks(117) + lists::statusLegend(3);
    return lines.join(crlf);
}

ReportModel buildTrainingsplanList(data::Connection &conn, const TrainingsplanSelection &sel,
                                   const BuildProgress &progress)
{
    ReportModel m;
    m.title = QStringLiteral("Liste Trainingsplan");
    const bool withBereich = sel.bereich.isEmpty();
    const TrainingsplanQuery q = trainingsplanQuery(sel, conn.backend());
    const ListLayout layout = layoutFor(withBereich);
    m.header = headerOf(sel, q) + crlf + layout.heading();
    m.orientation = Orientation::Landscape;

    // One line per entry at most: the table's size is room enough for the copy.
    SortedRows rows(conn, q.rows, q.sortColumns, conn.backend().rowEstimate(QStringLiteral("Trainingsplan")));
    if (progress.start)
        progress.start(rows.size() + 1);

    const Group group = groupOf(sel);
    GroupState groupState;
    ListLayout::Totals totals = layout.startTotals();
    LineWriter w(m.body, rows);
    // No line is longer than one with every column; totals and legend take fewer than 4,096.
    w.reserve(qsizetype(rows.size()) * kList.lineLength() + 4096);
    while (rows.next()) {
        if (const auto heading = nextGroup(group, rows, groupState)) {
            w.literal(crlf);
            w.literal(*heading);
            w.literal(u":");
            w.literal(crlf);
        }
        layout.writeLine(w, rows);
        w.literal(crlf);
        layout.addToTotals(rows, totals);
        if (progress.advance)
            progress.advance(totals.count);
    }
    if (totals.count > 0) {
        w.literal(crlf);
        w.literal(layout.totalsLine(totals));
        w.literal(crlf);
        w.literal(crlf);
        w.literal(trainingsplanLegend());
    }
    w.finish();
    return m;
}

ExportJob trainingsplanExport(data::Connection &conn, const TrainingsplanSelection &sel)
{
    const Group group = groupOf(sel);
    // Grouped by Bereich, the first column carries it.
    const bool withBereich = sel.bereich.isEmpty() && group != Group::Bereich;
    TrainingsplanQuery q = trainingsplanQuery(sel, conn.backend());
    // Source and remark too: the workbook can be read back into the plan as it is.
    q.rows.withExportedColumns();
    ExportJob job;
    ExportLayout &l = job.layout;
    l.title = QStringLiteral("Liste Trainingsplan");
    l.dateLine = dateLine();
    l.selection = headerOf(sel, q).split(crlf, Qt::SkipEmptyParts);
    const ListLayout cells = layoutFor(withBereich);
    // A spreadsheet filters and sorts rows, not headings between them: the
    // group a row belongs to stands in the row's own first column.
    if (group != Group::None)
        l.columns.push_back({QString::fromUtf8(kList.columns[size_t(groupColumn(group))].heading)});
    for (ExportColumn &c : cells.exportColumns())
        l.columns.push_back(std::move(c));
    l.totals = true;
    l.legend = trainingsplanLegend().split(crlf);
    l.legendStops = {0, 14, 52, 79, 117};
    l.legendColumns = {0, 1, 3, 6, 8};

    job.rows = [q, cells, group](data::Connection &c, ExportWriter &w) {
        // The rows in the printed list's order.
        SortedRows cur(c, q.rows, q.sortColumns, c.backend().rowEstimate(QStringLiteral("Trainingsplan")));
        // The rows are all read: their number needs no counting pass of its own.
        w.expect(cur.size());
        const int groupAt = group == Group::None ? -1 : groupColumn(group);
        while (cur.next()) {
            if (groupAt >= 0)
                cur.isNull(groupAt) ? w.empty() : w.text(cur.textBytes(groupAt));
            cells.writeCells(w, cur);
            w.endRow();
        }
    };
    return job;
}

} // namespace orv::reportdata
