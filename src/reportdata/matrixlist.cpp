#include "reportdata/matrixlist.h"

#include "data/dates.h"
#include "data/valuelists.h"

#include <algorithm>

namespace orv::reportdata {
namespace {

using data::matrix::Cell;
using data::matrix::Matrix;
using data::matrix::Selection;
using data::matrix::Status;
using data::matrix::Validity;

const QString kTitle = QStringLiteral("Qualifikationsmatrix");
const QString kQualified = QStringLiteral("Erledigt und gültig");
const QString kShown = QStringLiteral("Mitarbeiter");
constexpr int kLabelWidth = 14;

QString labelled(const char *label, const QString &value)
{
    return QString::fromUtf8(label).leftJustified(kLabelWidth) + value;
}

QString periodText(const Selection &sel)
{
    const auto day = [](const QDate &d) { return data::shortDateText(d); };
    if (sel.from.isValid() && sel.to.isValid())
        return day(sel.from) + QStringLiteral(" bis ") + day(sel.to);
    if (sel.from.isValid())
        return QStringLiteral("ab ") + day(sel.from);
    if (sel.to.isValid())
        return QStringLiteral("bis ") + day(sel.to);
    return QStringLiteral("alle");
}

QString columnsText(const Selection &sel)
{
    if (!sel.series && !sel.kursNrs.isEmpty())
        return sel.kursNrs.size() == 1 ? QStringLiteral("1 ausgewählter Kurs")
                                       : QStringLiteral("%1 ausgewählte Kurse").arg(sel.kursNrs.size());
    QString s = sel.series ? QStringLiteral("Reihen") : QStringLiteral("Kurse");
    QStringList of;
    if (!sel.rubrik.trimmed().isEmpty())
        of << QStringLiteral("Rubrik ") + sel.rubrik.trimmed();
    if (!sel.art.trimmed().isEmpty())
        of << QStringLiteral("Art ") + sel.art.trimmed();
    if (!of.isEmpty())
        s +=
            (sel.series ? QStringLiteral(" mit Kursen der ") : QStringLiteral(" der ")) + of.join(QStringLiteral(", "));
    return s;
}

QStringList selectionLines(const Selection &sel)
{
    QStringList lines;
    const auto add = [&lines](const char *label, const QString &value) {
        if (!value.trimmed().isEmpty())
            lines << labelled(label, value.trimmed());
    };
    add("Bereich:", sel.bereich);
    add("Abteilung:", sel.abteilung);
    add("Kostenstelle:", sel.kostenstelle);
    add("Kategorie:", sel.kategorie);
    lines << labelled("Spalten:", columnsText(sel));
    lines << labelled("Zeitraum:", periodText(sel));
    lines << labelled("Stichtag:", data::shortDateText(sel.today));
    lines << labelled("Sortierung:", sel.grouped ? QStringLiteral("Bereich und Abteilung") : QStringLiteral("Name"));
    if (!sel.withoutEntries)
        lines << QStringLiteral("Nur Mitarbeiter mit einem Eintrag in den Spalten");
    return lines;
}

QStringList legendLines(const Selection &sel)
{
    QStringList s;
    for (int st = 0; st < 4; ++st)
        s << data::lists::statusLegend(st);
    return {QStringLiteral("Legende:").leftJustified(kLabelWidth) + s.join(QStringLiteral("   ")),
            QString(kLabelWidth, u' ')
                + QStringLiteral("(einer Reihe: der Status ihres letzten Eintrags nach Datum von)"),
            QString(kLabelWidth, u' ')
                + QStringLiteral("Mit Gültigkeit, nach der letzten erledigten Schulung am Stichtag %1:")
                      .arg(data::shortDateText(sel.today)),
            QString(kLabelWidth, u' ')
                + QStringLiteral("+ = gültig   ! = fällig (endet in weniger als %1 Tagen)   - = abgelaufen")
                      .arg(sel.dueDays),
            QString(kLabelWidth, u' ') + kQualified + QStringLiteral(": erledigt ohne Gültigkeit, gültig oder fällig")};
}

QString groupOf(const data::matrix::Row &r)
{
    return (r.bereich.isEmpty() ? QStringLiteral("(ohne Bereich)") : r.bereich) + QStringLiteral(" / ")
           + (r.abteilung.isEmpty() ? QStringLiteral("(ohne Abteilung)") : r.abteilung) + QLatin1Char(':');
}

QString monthsText(const std::optional<int> &months)
{
    return months ? QStringLiteral("Gültigkeit %1 Monate").arg(*months) : QString();
}

// The key of a column: its number or code, its course's description and validity.
QString keyLine(const data::matrix::Column &c, bool series, int keyWidth)
{
    QString s = c.key.leftJustified(keyWidth) + QStringLiteral("  ") + c.description;
    if (series)
        s += QStringLiteral(" (zuletzt ") + c.kursNr + QLatin1Char(')');
    if (c.months)
        s += QStringLiteral(", ") + monthsText(c.months);
    return s;
}

// Where the columns of the table start: the row names, two blanks, then
// each column as wide as its heading, its cells and its counts, one blank apart.
struct Layout {
    int rowNames = 0;
    std::vector<int> starts;
    int width = 0;
};

Layout layoutOf(const Matrix &m)
{
    Layout l;
    l.rowNames = int(std::max({QStringLiteral("Name").size(), kQualified.size(), kShown.size()}));
    for (const data::matrix::Row &r : m.rows)
        l.rowNames = std::max(l.rowNames, int(r.name.size()));
    const int shownDigits = int(QString::number(m.rows.size()).size());
    int at = l.rowNames + 2;
    for (size_t c = 0; c < m.columns.size(); ++c) {
        l.starts.push_back(at);
        const int w =
            std::max({2, int(m.columns[c].key.size()), shownDigits, int(QString::number(m.qualified[c]).size())});
        at += w + 1;
    }
    l.width = at;
    return l;
}

// A line of the table: the label and a text per column at their starts.
class TableLine {
public:
    explicit TableLine(const Layout &l) : m_layout(l), m_line(l.width, u' ') {}
    void start(const QString &label)
    {
        m_line.fill(u' ');
        m_line.replace(0, label.size(), label);
    }
    void put(size_t column, const QString &text) { m_line.replace(m_layout.starts[column], text.size(), text); }
    void appendTo(QString &out) const
    {
        qsizetype end = m_line.size();
        while (end > 0 && m_line[end - 1] == u' ')
            --end;
        out.append(QStringView(m_line).left(end));
        out += crlf;
    }

private:
    const Layout &m_layout;
    QString m_line;
};

// The marks of the export: one for each status and validity.
int markOf(Cell c) { return int(c.status) * 4 + int(c.validity); }

quint32 colourOf(Cell c)
{
    switch (c.validity) {
    case Validity::Valid: return 0xC6EFCE;
    case Validity::Due: return 0xFFEB9C;
    case Validity::Expired: return 0xFFC7CE;
    case Validity::None: break;
    }
    switch (c.status) {
    case Status::Erledigt: return 0xC6EFCE;
    case Status::Geplant: return 0xBDD7EE;
    case Status::Bedarf: return 0xF8CBAD;
    case Status::KeineTeilnahme: return 0xD9D9D9;
    case Status::None: break;
    }
    return 0xFFFFFF;
}

std::vector<LegendRow> legendSheet(const Matrix &m, const Selection &sel)
{
    std::vector<LegendRow> rows;
    rows.push_back({{QStringLiteral("Zeichen"), QStringLiteral("Bedeutung")}, {}, true});
    const char *codes[] = {"B", "G", "E", "K"};
    for (int st = 0; st < 4; ++st)
        rows.push_back({{QString::fromLatin1(codes[st]), data::lists::statusLegend(st).mid(4)}});
    rows.push_back({{QStringLiteral("+"), QStringLiteral("gültig")}});
    rows.push_back({{QStringLiteral("!"), QStringLiteral("fällig: die Gültigkeit endet in weniger als %1 Tagen nach "
                                                         "dem %2")
                                              .arg(sel.dueDays)
                                              .arg(data::shortDateText(sel.today))}});
    rows.push_back({{QStringLiteral("-"), QStringLiteral("abgelaufen")}});
    rows.push_back({{QString(), QStringLiteral("Einer Reihe: der Status ihres letzten Eintrags nach Datum von; "
                                               "die Gültigkeit nach der letzten erledigten Schulung der Reihe")}});
    rows.push_back({});
    rows.push_back({{QStringLiteral("Farbe"), QStringLiteral("Bedeutung")}, {}, true});
    const std::pair<Cell, const char *> colours[] = {
        {{Status::Erledigt, Validity::None}, "erledigt und gültig"},
        {{Status::Erledigt, Validity::Due}, "fällig"},
        {{Status::Erledigt, Validity::Expired}, "abgelaufen"},
        {{Status::Geplant, Validity::None}, "geplant, noch nicht erledigt"},
        {{Status::Bedarf, Validity::None}, "Bedarf, noch nicht erledigt"},
        {{Status::KeineTeilnahme, Validity::None}, "keine Teilnahme"},
    };
    for (const auto &[cell, meaning] : colours)
        rows.push_back({{QString(), QString::fromUtf8(meaning)}, colourOf(cell)});
    rows.push_back({});
    rows.push_back({{sel.series ? QStringLiteral("Reihe") : QStringLiteral("Kurs-Nr."), QStringLiteral("Beschreibung"),
                     QStringLiteral("Gültigkeit (Monate)"), QStringLiteral("zuletzt (Kurs-Nr.)")},
                    {},
                    true});
    for (const data::matrix::Column &c : m.columns)
        rows.push_back({{c.key, c.description, c.months ? QString::number(*c.months) : QString(),
                         sel.series ? c.kursNr : QString()}});
    return rows;
}

} // namespace

QString cellText(Cell cell)
{
    const QString code = data::lists::statusCode(int(cell.status) - 1);
    switch (cell.validity) {
    case Validity::Valid: return code + QLatin1Char('+');
    case Validity::Due: return code + QLatin1Char('!');
    case Validity::Expired: return code + QLatin1Char('-');
    case Validity::None: break;
    }
    return code;
}

ReportModel matrixReport(const Matrix &m, const Selection &sel)
{
    ReportModel model;
    model.title = kTitle;
    model.orientation = Orientation::Landscape;
    const QStringList selection = selectionLines(sel);
    if (m.isEmpty()) {
        model.header = selection.join(crlf);
        return model;
    }
    const Layout l = layoutOf(m);
    const size_t columns = m.columns.size();
    TableLine line(l);

    line.start(QStringLiteral("Name"));
    for (size_t c = 0; c < columns; ++c)
        line.put(c, m.columns[c].key);
    QString heading;
    line.appendTo(heading);
    heading.chop(crlf.size());
    model.header = selection.join(crlf) + crlf + crlf + heading;

    // The texts of the states, made once.
    QString texts[20];
    for (int st = 0; st < 5; ++st)
        for (int v = 0; v < 4; ++v)
            texts[st * 4 + v] = cellText({Status(st), Validity(v)});

    QString body;
    body.reserve(qsizetype(m.rows.size() + 8) * (l.width + 2));
    int tableLines = 0;
    std::vector<int> headings;
    QString group;
    for (size_t r = 0; r < m.rows.size(); ++r) {
        if (sel.grouped && groupOf(m.rows[r]) != group) {
            if (r > 0) {
                body += crlf;
                ++tableLines;
            }
            group = groupOf(m.rows[r]);
            body += group + crlf;
            headings.push_back(tableLines++);
        }
        line.start(m.rows[r].name);
        for (size_t c = 0; c < columns; ++c)
            if (const Cell cell = m.at(r, c); !cell.isEmpty())
                line.put(c, texts[markOf(cell)]);
        line.appendTo(body);
        ++tableLines;
    }
    body += crlf;
    line.start(kQualified);
    for (size_t c = 0; c < columns; ++c)
        line.put(c, QString::number(m.qualified[c]));
    line.appendTo(body);
    line.start(kShown);
    const QString shown = QString::number(m.rows.size());
    for (size_t c = 0; c < columns; ++c)
        line.put(c, shown);
    line.appendTo(body);
    tableLines += 3;

    int keyWidth = 8;
    for (const data::matrix::Column &c : m.columns)
        keyWidth = std::max(keyWidth, int(c.key.size()));
    body += crlf + (sel.series ? QStringLiteral("Reihe") : QStringLiteral("Kurs-Nr.")).leftJustified(keyWidth)
            + QStringLiteral("  Beschreibung") + crlf;
    for (const data::matrix::Column &c : m.columns)
        body += keyLine(c, sel.series, keyWidth) + crlf;
    body += crlf + legendLines(sel).join(crlf) + crlf;
    model.body = body;

    TableSlices slices;
    slices.rowNames = l.starts.front(); // the names with the blanks after them
    slices.columnStarts = l.starts;
    slices.headerFrom = int(selection.size()) + 1;
    slices.rows = tableLines;
    slices.wholeRows = std::move(headings);
    slices.keyFrom = tableLines + 2;
    model.slices = slices;
    return model;
}

QString matrixTable(const Matrix &m)
{
    if (m.isEmpty())
        return QString();
    const auto field = [](QString s) {
        // A tab or a line end inside a value would shift the table.
        for (QChar &ch : s)
            if (ch == u'\t' || ch == u'\r' || ch == u'\n')
                ch = u' ';
        return s;
    };
    const size_t columns = m.columns.size();
    const QChar tab = u'\t';
    QString s = QStringLiteral("Name\tBereich\tAbteilung");
    for (const data::matrix::Column &c : m.columns)
        s += tab + field(c.key);
    s += crlf;
    for (size_t r = 0; r < m.rows.size(); ++r) {
        const data::matrix::Row &row = m.rows[r];
        s += field(row.name) + tab + field(row.bereich) + tab + field(row.abteilung);
        for (size_t c = 0; c < columns; ++c)
            s += tab + cellText(m.at(r, c));
        s += crlf;
    }
    s += crlf + kQualified + tab + tab;
    for (size_t c = 0; c < columns; ++c)
        s += tab + QString::number(m.qualified[c]);
    s += crlf + kShown + tab + tab;
    for (size_t c = 0; c < columns; ++c)
        s += tab + QString::number(m.rows.size());
    return s + crlf;
}

ExportJob matrixExport(std::shared_ptr<const Matrix> m, const Selection &sel)
{
    ExportJob job;
    ExportLayout &l = job.layout;
    l.title = kTitle;
    l.dateLine = dateLine();
    l.selection = selectionLines(sel);
    l.columns = {{QStringLiteral("Name")}, {QStringLiteral("Bereich")}, {QStringLiteral("Abteilung")}};
    for (const data::matrix::Column &c : m->columns) {
        ExportColumn col{c.key + QLatin1Char(' ') + c.description};
        col.upright = true;
        l.columns.push_back(col);
    }
    l.frozenColumns = 1;
    for (int st = 0; st < 5; ++st)
        for (int v = 0; v < 4; ++v) {
            const Cell cell{Status(st), Validity(v)};
            l.marks.push_back({cellText(cell), colourOf(cell)});
        }
    l.legendSheet = QStringLiteral("Legende");
    l.legendRows = legendSheet(*m, sel);
    job.rows = [m](data::Connection &, ExportWriter &w) {
        if (m->isEmpty())
            return;
        w.expect(qint64(m->rows.size()));
        const auto text = [&w](const QString &s) {
            const QByteArray utf8 = s.toUtf8();
            utf8.isEmpty() ? w.empty() : w.text(std::string_view(utf8.constData(), size_t(utf8.size())));
        };
        const size_t columns = m->columns.size();
        for (size_t r = 0; r < m->rows.size(); ++r) {
            const data::matrix::Row &row = m->rows[r];
            text(row.name);
            text(row.bereich);
            text(row.abteilung);
            for (size_t c = 0; c < columns; ++c) {
                const Cell cell = m->at(r, c);
                cell.isEmpty() ? w.empty() : w.mark(markOf(cell));
            }
            w.endRow();
        }
        w.beginFoot();
        text(kQualified);
        w.empty();
        w.empty();
        for (size_t c = 0; c < columns; ++c)
            w.number(m->qualified[c]);
        w.endRow();
        text(kShown);
        w.empty();
        w.empty();
        for (size_t c = 0; c < columns; ++c)
            w.number(double(m->rows.size()));
        w.endRow();
    };
    return job;
}

} // namespace orv::reportdata
