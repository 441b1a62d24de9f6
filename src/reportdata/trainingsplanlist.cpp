#include "reportdata/trainingsplanlist.h"

#include "data/connection.h"
#include "data/dbtext.h"
#include "data/valuelists.h"
#include "reportdata/linewriter.h"
#include "ui/format.h"

#include <algorithm>
#include <cmath>
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

// Column positions of the training plan rows (data::ListQuery::Rows::TrainingPlan).
enum Col {
    KursNr,
    Rubrik,
    Beschreibung,
    Art,
    Referent,
    Kosten,
    Dauer,
    Name,
    Kategorie,
    Bereich,
    Prioritaet,
    DatumVon,
    DatumBis,
    Rechnung,
    Beurteilung,
    Status
};

// The number of rows the list will have.
enum class Group { None, Bereich, Rubrik };
Group groupOf(const TrainingsplanSelection &sel)
{
    return sel.sortierung == QLatin1String("Bereich")  ? Group::Bereich
           : sel.sortierung == QLatin1String("Rubrik") ? Group::Rubrik
                                                       : Group::None;
}

// Sorted by Bereich or Rubrik, a change of the value opens a group: its value, or nothing.
struct GroupState {
    std::string bytes; // as stored, to pass over the rows of the same group cheaply
    QString value;
};
std::optional<QString> nextGroup(Group group, data::Cursor &cur, GroupState &state)
{
    if (group == Group::None)
        return std::nullopt;
    const std::string_view v = cur.textBytes(group == Group::Bereich ? Bereich : Rubrik);
    if (v == state.bytes)
        return std::nullopt;
    state.bytes.assign(v);
    QString value = data::fromDbText(v);
    if (value == state.value)
        return std::nullopt;
    state.value = value;
    return value.trimmed();
}

// The totals end under the right edges of the Kosten and Dauer columns. A
// total wider than its place takes the room it needs from the blanks on its
// left (the Kosten total pushed left by a wide Dauer total), always with a
// blank before it: the right part of the line and the count stay in place.
QString totalsLine(qint64 kostenCents, qint64 dauerTenths, int count)
{
    constexpr qsizetype kostenEnd = 95, dauerEnd = 103;
    const QString label = QStringLiteral("Summe:");
    const QString kosten = ui::formatUnits(kostenCents, 2), dauer = ui::formatUnits(dauerTenths, 1);
    const qsizetype dauerStart = dauerEnd - dauer.size();
    const qsizetype kostenStart = std::min(kostenEnd, dauerStart - 1) - kosten.size();
    QString line = label;
    line += blanks(int(std::max<qsizetype>(1, kostenStart - line.size()))) + kosten;
    line += blanks(int(std::max<qsizetype>(1, dauerStart - line.size()))) + dauer;
    return line + QStringLiteral("  Anzahl: ") + rightAligned(QString::number(count), 5);
}

QString headerOf(const TrainingsplanSelection &sel, const TrainingsplanQuery &q)
{
    return QStringLiteral("Zeitraum:    ") + sel.vonText + QStringLiteral(" bis ") + sel.bisText + crlf
           + q.selectionLines + QStringLiteral("Sortierung:  ") + sel.sortierung + crlf;
}

} // namespace

TrainingsplanQuery trainingsplanQuery(const TrainingsplanSelection &sel, const data::Backend &backend)
{
    TrainingsplanQuery q{data::ListQuery(data::ListQuery::Rows::TrainingPlan, backend), sortColumnsFor(sel.sortierung),
                         QString()};
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

QString trainingsplanHeading(bool withBereich)
{
    QString h = QStringLiteral("Kurs-Nr. Beschreibung").leftJustified(61)
                + QStringLiteral("Art  Referent               Kosten   Dauer  Name                            Kat. ");
    if (withBereich)
        h += QStringLiteral("Bereich").leftJustified(31);
    h += QStringLiteral("Datum             Prio. R S  Status");
    return h;
}

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
    m.header = headerOf(sel, q) + crlf + trainingsplanHeading(withBereich);
    m.orientation = Orientation::Landscape;

    // One line per entry at most: the table's size is room enough for the copy.
    SortedRows rows(conn, q.rows.sql(), q.rows.params(), q.sortColumns,
                    conn.backend().rowEstimate(QStringLiteral("Trainingsplan")));
    if (progress.start)
        progress.start(rows.size() + 1);

    const Group group = groupOf(sel);
    GroupState groupState;
    // Whole cents and tenths of hours: single-precision sums lose cents from a few thousand lines on.
    qint64 sumKosten = 0, sumDauer = 0;
    int count = 0;
    LineWriter w(m.body, rows);
    // A line is 212 characters at most; totals and legend take fewer than 4,096.
    w.reserve(qsizetype(rows.size()) * 212 + 4096);
    while (rows.next()) {
        if (const auto heading = nextGroup(group, rows, groupState)) {
            w.literal(crlf);
            w.literal(*heading);
            w.literal(u":");
            w.literal(crlf);
        }
        w.text(KursNr, 6);
        w.literal(u"   ");
        w.text(Beschreibung, 80, 50);
        w.literal(u"  ");
        w.text(Art, 1);
        w.literal(u"    ");
        w.text(Referent, 30, 20);
        w.literal(u"  ");
        w.number(Kosten, 2, 7);
        w.number(Dauer, 1, 8);
        w.literal(u"  ");
        w.text(Name, 30);
        w.literal(u"  ");
        w.text(Kategorie, 3);
        w.literal(u"  ");
        if (withBereich) {
            w.text(Bereich, 30);
            w.literal(u" ");
        }
        w.date(DatumVon);
        w.literal(u"-");
        w.date(DatumBis);
        w.literal(u" ");
        w.text(Prioritaet, 1);
        w.literal(u"     ");
        w.literal(rows.boolean(Rechnung) ? QStringView(u"R ") : QStringView(u"  "));
        w.literal(rows.boolean(Beurteilung) ? QStringView(u"S  ") : QStringView(u"   "));
        const std::string_view st = rows.textBytes(Status);
        const char s = st.empty() ? ' ' : st.front();
        w.literal(s == '0' ? QStringView(u"B ") : QStringView(u"  "));
        w.literal(s == '1' ? QStringView(u"G ") : QStringView(u"  "));
        w.literal(s == '2' ? QStringView(u"E ") : QStringView(u"  "));
        w.literal(s == '3' ? QStringView(u"K ") : QStringView(u"  "));
        w.literal(crlf);
        sumKosten += std::llround(rows.real(Kosten) * 100);
        sumDauer += std::llround(rows.real(Dauer) * 10);
        ++count;
        if (progress.advance)
            progress.advance(count);
    }
    if (count > 0) {
        w.literal(crlf);
        w.literal(totalsLine(sumKosten, sumDauer, count));
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
    const TrainingsplanQuery q = trainingsplanQuery(sel, conn.backend());
    ExportJob job;
    ExportLayout &l = job.layout;
    l.title = QStringLiteral("Liste Trainingsplan");
    l.dateLine = dateLine();
    l.selection = headerOf(sel, q).split(crlf, Qt::SkipEmptyParts);
    using T = CellType;
    // A spreadsheet filters and sorts rows, not headings between them: the
    // group a row belongs to stands in the row's own first column.
    if (group != Group::None)
        l.columns.push_back({group == Group::Bereich ? QStringLiteral("Bereich") : QStringLiteral("Rubrik")});
    l.columns.insert(l.columns.end(), {{QStringLiteral("Kurs-Nr.")},
                                       {QStringLiteral("Beschreibung")},
                                       {QStringLiteral("Art")},
                                       {QStringLiteral("Referent")},
                                       {QStringLiteral("Kosten"), T::Number, 2, true},
                                       {QStringLiteral("Dauer"), T::Number, 1, true},
                                       {QStringLiteral("Name")},
                                       {QStringLiteral("Kat.")}});
    if (withBereich)
        l.columns.push_back({QStringLiteral("Bereich")});
    l.columns.insert(l.columns.end(), {{QStringLiteral("Datum von"), T::Date},
                                       {QStringLiteral("Datum bis"), T::Date},
                                       {QStringLiteral("Prio."), T::Number},
                                       {QStringLiteral("R")},
                                       {QStringLiteral("S")},
                                       {QStringLiteral("Status")}});
    l.totals = true;
    l.legend = trainingsplanLegend().split(crlf);
    l.legendStops = {0, 14, 52, 79, 117};
    l.legendColumns = {0, 1, 3, 6, 8};

    job.rows = [q, withBereich, group](data::Connection &c, ExportWriter &w) {
        // The rows in the printed list's order.
        SortedRows cur(c, q.rows.sql(), q.rows.params(), q.sortColumns,
                       c.backend().rowEstimate(QStringLiteral("Trainingsplan")));
        // The rows are all read: their number needs no counting pass of its own.
        w.expect(cur.size());
        auto text = [&](int col) { cur.isNull(col) ? w.empty() : w.text(cur.textBytes(col)); };
        auto number = [&](int col) { cur.isNull(col) ? w.empty() : w.number(cur.real(col)); };
        auto date = [&](int col) { w.date(cur.isNull(col) ? 0 : cur.julianDay(col)); };
        while (cur.next()) {
            if (group != Group::None)
                text(group == Group::Bereich ? Bereich : Rubrik);
            text(KursNr);
            text(Beschreibung);
            text(Art);
            text(Referent);
            number(Kosten);
            number(Dauer);
            text(Name);
            text(Kategorie);
            if (withBereich)
                text(Bereich);
            date(DatumVon);
            date(DatumBis);
            // "1" to "3", or blank for none.
            const std::string_view prio = cur.isNull(Prioritaet) ? std::string_view() : cur.textBytes(Prioritaet);
            const char p = prio.empty() ? ' ' : prio.front();
            if (p >= '0' && p <= '9')
                w.number(p - '0');
            else
                w.empty();
            w.text(cur.boolean(Rechnung) ? "R" : "");
            w.text(cur.boolean(Beurteilung) ? "S" : "");
            const std::string_view st = cur.textBytes(Status);
            const char s = st.empty() ? ' ' : st.front();
            w.text(s == '0' ? "B" : s == '1' ? "G" : s == '2' ? "E" : s == '3' ? "K" : "");
            w.endRow();
        }
    };
    return job;
}

} // namespace orv::reportdata
