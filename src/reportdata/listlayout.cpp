#include "reportdata/listlayout.h"

#include "data/storedvalue.h"

#include "data/format.h"
#include "data/valuelists.h"
#include "reportdata/linewriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace orv::reportdata {

namespace {

QString blanks(qsizetype n) { return QString(n, QLatin1Char(' ')); }

// The four status codes, each in a place of its own.
constexpr int kStatusCount = 4;

} // namespace

ListLayout::ListLayout(const data::ListTable &table, std::initializer_list<int> leftOut)
{
    using data::CellType;
    using data::Shown;
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const data::ListColumn &c = table.columns[i];
        if (c.shown == Shown::Never || std::find(leftOut.begin(), leftOut.end(), int(i)) != leftOut.end())
            continue;
        Place p{&c,         int(i),
                c.shown,    Cell::Text,
                c.width,    c.cut ? c.width : -1,
                c.decimals, QString(c.gap, QChar(c.gapChar)),
                {},         {}};
        switch (c.shown) {
        case Shown::Mark:
            p.cell = Cell::Mark;
            p.texts = {blanks(c.width) + p.gap, QString::fromUtf8(c.heading).leftJustified(c.width) + p.gap};
            p.cellTexts = {std::string(), std::string(c.heading)};
            break;
        case Shown::Status: {
            p.cell = Cell::Status;
            const int slot = c.width / kStatusCount;
            p.texts = {blanks(c.width) + p.gap};
            p.cellTexts = {std::string()};
            for (int code = 0; code < kStatusCount; ++code) {
                const QString letter = data::lists::statusCode(code);
                p.texts.push_back(blanks(slot * code) + letter.leftJustified(slot) + blanks(c.width - slot * (code + 1))
                                  + p.gap);
                p.cellTexts.push_back(letter.toStdString());
            }
            break;
        }
        default:
            p.cell = c.cell == CellType::Date                              ? Cell::Date
                     : c.cell == CellType::Text                            ? Cell::Text
                     : c.shown == Shown::Number || c.shown == Shown::Whole ? Cell::Number
                                                                           : Cell::NumberInText;
            break;
        }
        if (c.summed)
            m_summed.push_back(m_places.size());
        m_places.push_back(std::move(p));
    }
}

QString ListLayout::heading() const
{
    QString line;
    for (const Place &p : m_places) {
        const data::ListColumn &c = *p.column;
        if (c.shown == data::Shown::Exported)
            continue;
        QString h = QString::fromUtf8(c.heading);
        if (c.shown == data::Shown::Number || c.shown == data::Shown::Whole)
            h = h.rightJustified(c.width);
        line += h.leftJustified(c.width + c.gap);
    }
    qsizetype end = line.size();
    while (end > 0 && line.at(end - 1) == QLatin1Char(' '))
        --end;
    line.truncate(end);
    return line;
}

void ListLayout::writeLine(LineWriter &w, const SortedRows &rows) const
{
    for (const Place &p : m_places) {
        switch (p.shown) {
        case data::Shown::Text: w.text(p.index, p.width, p.cutAt); break;
        case data::Shown::Number: w.number(p.index, p.decimals, p.width); break;
        case data::Shown::Whole:
            if (rows.isNull(p.index))
                w.blanks(p.width);
            else
                w.number(p.index, 0, p.width);
            break;
        case data::Shown::Date: w.date(p.index); break;
        case data::Shown::Mark: w.literal(p.texts[rows.boolean(p.index) ? 1 : 0]); continue;
        case data::Shown::Status: {
            const std::string_view s = rows.textBytes(p.index);
            const int code = s.empty() ? -1 : s.front() - '0';
            w.literal(p.texts[code >= 0 && code < kStatusCount ? code + 1 : 0]);
            continue;
        }
        case data::Shown::Never:
        case data::Shown::Exported: continue;
        }
        if (!p.gap.isEmpty())
            w.literal(p.gap);
    }
}

void ListLayout::addToTotals(const SortedRows &rows, Totals &totals) const
{
    for (size_t i = 0; i < m_summed.size(); ++i) {
        const Place &p = m_places[m_summed[i]];
        totals.units[i] += data::amountUnits(rows.real(p.index), p.decimals);
    }
    ++totals.count;
}

// A total ends under the right edge of its column. One wider than its place
// takes the room it needs from the blanks on its left (pushing the totals
// before it left), always with a blank before it: the right part of the
// line and the count stay in place.
QString ListLayout::totalsLine(const Totals &totals) const
{
    std::vector<QString> texts;
    std::vector<qsizetype> ends;
    qsizetype edge = 0;
    size_t next = 0;
    for (size_t i = 0; i < m_places.size(); ++i) {
        edge += m_places[i].column->width;
        if (next < m_summed.size() && m_summed[next] == i) {
            texts.push_back(data::formatUnits(totals.units[next], m_places[i].column->decimals));
            ends.push_back(edge);
            ++next;
        }
        edge += m_places[i].column->gap;
    }
    std::vector<qsizetype> starts(texts.size());
    for (size_t i = texts.size(); i-- > 0;) {
        const qsizetype end = i + 1 < texts.size() ? std::min(ends[i], starts[i + 1] - 1) : ends[i];
        starts[i] = end - texts[i].size();
    }
    QString line = QStringLiteral("Summe:");
    for (size_t i = 0; i < texts.size(); ++i)
        line += blanks(std::max<qsizetype>(1, starts[i] - line.size())) + texts[i];
    return line + QStringLiteral("  Anzahl: ") + rightAligned(QString::number(totals.count), 5);
}

std::vector<ExportColumn> ListLayout::exportColumns() const
{
    std::vector<ExportColumn> columns;
    for (const Place &p : m_places) {
        const data::ListColumn &c = *p.column;
        columns.push_back({QString::fromUtf8(c.cellHeading ? c.cellHeading : c.heading), c.cell, c.decimals, c.summed});
    }
    return columns;
}

void ListLayout::writeCells(ExportWriter &w, const SortedRows &rows) const
{
    for (const Place &p : m_places) {
        const int c = p.index;
        switch (p.cell) {
        case Cell::Text: rows.isNull(c) ? w.empty() : w.text(rows.textBytes(c)); break;
        case Cell::Number: rows.isNull(c) ? w.empty() : w.number(rows.real(c)); break;
        case Cell::Date: w.date(rows.isNull(c) ? 0 : rows.julianDay(c)); break;
        case Cell::NumberInText: {
            // A priority "1" to "3" as a number; blank or anything else as an empty cell.
            const std::string_view s = rows.isNull(c) ? std::string_view() : rows.textBytes(c);
            int value = 0;
            const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
            !s.empty() && error == std::errc() && end == s.data() + s.size() ? w.number(value) : w.empty();
            break;
        }
        case Cell::Mark: w.text(p.cellTexts[rows.boolean(c) ? 1 : 0]); break;
        case Cell::Status: {
            const std::string_view s = rows.textBytes(c);
            const int code = s.empty() ? -1 : s.front() - '0';
            w.text(p.cellTexts[code >= 0 && code < kStatusCount ? code + 1 : 0]);
            break;
        }
        }
    }
}

ReportModel plainList(const ListLayout &layout, SortedRows &rows, const QString &title, Orientation orientation)
{
    ReportModel m;
    m.title = title;
    m.header = layout.heading();
    m.orientation = orientation;
    LineWriter w(m.body, rows);
    while (rows.next()) {
        layout.writeLine(w, rows);
        w.literal(u"\r\n");
    }
    w.finish();
    return m;
}

} // namespace orv::reportdata
