#include "reports/linewriter.h"

#include "data/dbtext.h"
#include "ui/format.h"

#include <string_view>

namespace orv::reports {

SortedRows::SortedRows(data::Connection &conn, const QString &sql, const QVariantList &params,
                       const QString &sortColumns)
{
    m_rows.openQuery(conn, sql, params);
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

void LineWriter::text(int c, int width, int maxChars)
{
    const int place = maxChars > 0 ? qMin(maxChars, width) : width;
    if (m_cur.isNull(c)) {
        blanks(place);
        return;
    }
    const std::string_view v = m_cur.textBytes(c);
    const QString s = data::fromDbText(v);
    m_out += maxChars > 0 ? QStringView(s).left(maxChars) : QStringView(s);
    if (s.size() < place)
        blanks(place - s.size());
}

void LineWriter::number(int c, int decimals, int width)
{
    m_out += rightAligned(ui::formatNumber(m_cur.real(c), decimals), width);
}

void LineWriter::date(int c)
{
    const qint64 jd = m_cur.isNull(c) ? 0 : m_cur.julianDay(c);
    if (jd == 0)
        m_out += QStringView(u"        ");
    else
        m_out += QDate::fromJulianDay(jd).toString(QStringLiteral("dd.MM.yy"));
}

} // namespace orv::reports
