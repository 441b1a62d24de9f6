#include "import/sheet.h"

#include <algorithm>
#include <cstring>

namespace orv::import {

QStringList Sheet::cells(qsizetype row) const
{
    QStringList out;
    for (const std::string_view c : cellBytes(row))
        out << QString::fromUtf8(c.data(), qsizetype(c.size()));
    return out;
}

std::vector<std::string_view> Sheet::cellBytes(qsizetype row) const
{
    std::vector<std::string_view> out;
    const qsizetype from = m_rowStart[size_t(row)];
    const qsizetype to = size_t(row) + 1 < m_rowStart.size() ? m_rowStart[size_t(row) + 1] : m_text.size();
    const char *p = m_text.constData() + from, *end = m_text.constData() + to;
    while (p < end) {
        const char *zero = static_cast<const char *>(std::memchr(p, '\0', size_t(end - p)));
        out.emplace_back(p, size_t(zero - p));
        p = zero + 1;
    }
    return out;
}

bool Sheet::formulaWithoutValue(qsizetype row, int column) const
{
    return std::binary_search(m_noValue.begin(), m_noValue.end(), std::pair(row, column));
}

bool Sheet::hasFormulaWithoutValue(qsizetype row) const
{
    const auto it = std::lower_bound(m_noValue.begin(), m_noValue.end(), std::pair(row, 0));
    return it != m_noValue.end() && it->first == row;
}

void Sheet::addRow(int line, bool blankBefore, const QStringList &cells)
{
    std::vector<QByteArray> utf8;
    std::vector<std::string_view> views;
    utf8.reserve(size_t(cells.size()));
    for (const QString &c : cells) {
        utf8.push_back(c.toUtf8());
        views.emplace_back(utf8.back().constData(), size_t(utf8.back().size()));
    }
    addRowUtf8(line, blankBefore, views);
}

void Sheet::addRowUtf8(int line, bool blankBefore, const std::vector<std::string_view> &cells)
{
    size_t n = cells.size();
    while (n > 0 && cells[n - 1].empty())
        --n;
    m_rowStart.push_back(m_text.size());
    m_lines.push_back(line);
    m_blankBefore.push_back(blankBefore ? 1 : 0);
    for (size_t i = 0; i < n; ++i) {
        m_text.append(cells[i].data(), qsizetype(cells[i].size()));
        m_text.append('\0');
    }
}

void Sheet::markFormulaWithoutValue(int column)
{
    if (!m_lines.empty())
        m_noValue.emplace_back(size() - 1, column);
}

QString columnLetters(int index)
{
    QString s;
    for (int i = index + 1; i > 0; i = (i - 1) / 26)
        s.prepend(QChar(u'A' + (i - 1) % 26));
    return s;
}

} // namespace orv::import
