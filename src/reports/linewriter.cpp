#include "reports/linewriter.h"

#include "data/dbtext.h"
#include "ui/format.h"

#include <string_view>

namespace orv::reports {

void LineWriter::text(int c, int width, int maxChars)
{
    if (m_cur.isNull(c)) {
        blanks(maxChars > 0 ? qMin(maxChars, width) : width);
        return;
    }
    const std::string_view v = m_cur.textBytes(c);
    const QString s = data::fromDbText(v);
    m_out += maxChars > 0 ? QStringView(s).left(maxChars) : QStringView(s);
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
