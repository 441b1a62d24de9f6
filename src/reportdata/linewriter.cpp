#include "reportdata/linewriter.h"

#include "data/dbtext.h"
#include "data/fastpaths.h"
#include "data/format.h"
#include "data/listquery.h"

#include <bit>
#include <string_view>

namespace orv::reportdata {

SortedRows::SortedRows(data::Connection &conn, const QString &sql, const QVariantList &params,
                       const QString &sortColumns, qint64 expectedRows)
{
    m_rows.openQuery(conn, sql, params, expectedRows);
    if (!sortColumns.isEmpty())
        m_rows.sort(sortColumns);
}

SortedRows::SortedRows(data::Connection &conn, const data::ListQuery &query, const QString &sortColumns,
                       qint64 expectedRows)
{
    // A server joins by hash on its side, and sends each row once.
    if (conn.backend().kind() == data::BackendKind::Sqlite && data::fastPath(data::FastPath::JoinInMemory)
        && query.readsTablesApart()) {
        auto read = [&conn, query] { return query.readApart(conn); };
        m_rows.openRows(conn, read, expectedRows);
    } else {
        m_rows.openQuery(conn, query.sql(), query.params(), expectedRows);
    }
    if (!sortColumns.isEmpty())
        m_rows.sort(sortColumns);
}

bool SortedRows::next()
{
    if (m_started)
        m_rows.moveNext();
    else
        m_rows.moveFirst();
    m_started = true;
    return !m_rows.eof();
}

qint64 SortedRows::julianDay(int c) const
{
    const QDate d = m_rows.date(c);
    return d.isValid() ? d.toJulianDay() : 0;
}

void LineWriter::reserve(qsizetype n)
{
    if (n <= m_out.capacity())
        return;
    // A fresh text, moved into: its untouched pages are fetched ahead of the
    // writer.
    QString fresh;
    fresh.reserve(n);
    m_prefault.reset();
    m_prefault = std::make_unique<data::Prefault>(fresh.data(), size_t(fresh.capacity()) * sizeof(QChar));
    fresh.resize(m_length);
    std::memcpy(fresh.data(), m_out.constData(), size_t(m_length) * sizeof(QChar));
    m_out.swap(fresh);
}

void LineWriter::grow(qsizetype needed)
{
    // Within the reserved capacity the text only gets longer; beyond it, twice as long.
    if (needed > m_out.capacity())
        reserve(std::max({needed, 2 * m_out.capacity(), qsizetype(4096)}));
    m_out.resize(std::max(needed, m_out.capacity()));
}

LineWriter::Cells &LineWriter::cellsFor(int c, int width, int detail)
{
    if (size_t(c) >= m_cells.size())
        m_cells.resize(size_t(c) + 1);
    Cells &cells = m_cells[size_t(c)];
    if (cells.width != width || cells.detail != detail) {
        cells = Cells();
        cells.width = width;
        cells.detail = detail;
    }
    return cells;
}

QString LineWriter::textCell(int c, int width, int maxChars) const
{
    const int place = maxChars > 0 ? qMin(maxChars, width) : width;
    if (m_cur.isNull(c))
        return QString(place, QLatin1Char(' '));
    QString s = data::fromDbText(m_cur.textBytes(c));
    if (maxChars > 0)
        s.truncate(maxChars);
    if (s.size() < place)
        s.append(QString(place - s.size(), QLatin1Char(' ')));
    return s;
}

void LineWriter::text(int c, int width, int maxChars)
{
    const qint64 key = m_cur.textKey(c);
    if (key < 0) {
        literal(textCell(c, width, maxChars));
        return;
    }
    Cells &cells = cellsFor(c, width, maxChars);
    if (size_t(key) >= cells.byKey.size())
        cells.byKey.resize(size_t(key) + 1);
    QString &cell = cells.byKey[size_t(key)];
    if (cell.isNull())
        cell = textCell(c, width, maxChars);
    literal(cell);
}

QString LineWriter::numberCell(int c, int decimals, int width) const
{
    return rightAligned(data::formatNumber(m_cur.real(c), decimals), width);
}

void LineWriter::number(int c, int decimals, int width)
{
    // Costs and durations take few values; a column of ever new amounts stops being remembered.
    constexpr size_t kRemembered = 4096;
    Cells &cells = cellsFor(c, width, decimals);
    const quint64 bits = std::bit_cast<quint64>(m_cur.real(c));
    const auto it = cells.byBits.find(bits);
    if (it != cells.byBits.end()) {
        literal(it->second);
        return;
    }
    const QString cell = numberCell(c, decimals, width);
    if (cells.byBits.size() < kRemembered)
        cells.byBits.emplace(bits, cell);
    literal(cell);
}

void LineWriter::date(int c)
{
    const qint64 jd = m_cur.isNull(c) ? 0 : m_cur.julianDay(c);
    if (jd == 0) {
        blanks(8);
        return;
    }
    int y = 0, m = 0, d = 0;
    QDate::fromJulianDay(jd).getDate(&y, &m, &d);
    if (y < 1) {
        literal(QDate::fromJulianDay(jd).toString(QStringLiteral("dd.MM.yy")));
        return;
    }
    const char16_t text[8] = {char16_t(u'0' + d / 10),       char16_t(u'0' + d % 10), u'.',
                              char16_t(u'0' + m / 10),       char16_t(u'0' + m % 10), u'.',
                              char16_t(u'0' + y % 100 / 10), char16_t(u'0' + y % 10)};
    literal(QStringView(text, 8));
}

} // namespace orv::reportdata
