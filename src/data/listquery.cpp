#include "data/listquery.h"

#include "data/collation.h"

#include <QStringList>

namespace orv::data {

namespace {

// The typed text folded to lower case (the column is folded the same way in
// SQL) with %, _ and the escape character itself taken literally.
QString literal(const QString &typed)
{
    const QString folded = foldCase(typed);
    QString out;
    out.reserve(folded.size() * 2);
    for (const QChar c : folded) {
        if (c == QLatin1Char('!') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            out += QLatin1Char('!');
        out += c;
    }
    return out;
}

} // namespace

ListQuery::ListQuery(const ListTable &list, const Backend &backend) : m_list(list), m_backend(backend)
{
    // The printed list does not read what only the spreadsheet shows.
    m_columns = QStringLiteral("SELECT ");
    for (const ListColumn &c : list.columns) {
        if (c.shown == Shown::Exported)
            break;
        if (&c != list.columns.data())
            m_columns += QLatin1Char(',');
        m_columns += QLatin1String(c.source);
    }
    m_from = QStringLiteral(" FROM ") + QLatin1String(list.from);
}

void ListQuery::withExportedColumns()
{
    for (const ListColumn &c : m_list.columns) {
        if (c.shown == Shown::Exported)
            m_columns += QLatin1Char(',') + QLatin1String(c.source);
    }
}

void ListQuery::add(const QString &condition)
{
    m_where += (m_where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + condition;
}

void ListQuery::equals(const char *column, const QVariant &value)
{
    add(QString::fromLatin1(column) + QStringLiteral(" = ?"));
    m_params << value;
}

void ListQuery::like(const char *column, const QString &pattern)
{
    add(m_backend.lowerCase(QString::fromLatin1(column)) + QStringLiteral(" LIKE ? ESCAPE '!'"));
    m_params << pattern;
}

void ListQuery::contains(const char *column, const QString &text)
{
    like(column, QLatin1Char('%') + literal(text) + QLatin1Char('%'));
}

void ListQuery::startsWith(const char *column, const QString &text) { like(column, literal(text) + QLatin1Char('%')); }

void ListQuery::between(const char *column, const QVariant &from, const QVariant &to)
{
    const QString c = QString::fromLatin1(column);
    add(c + QStringLiteral(" >= ? AND ") + c + QStringLiteral(" <= ?"));
    m_params << from << to;
}

void ListQuery::oneOf(const char *column, const QVariantList &values)
{
    QStringList alternatives;
    for (const QVariant &v : values) {
        alternatives << QString::fromLatin1(column) + QStringLiteral(" = ?");
        m_params << v;
    }
    add(QLatin1Char('(')
        + (alternatives.isEmpty() ? QStringLiteral("1 = 0") : alternatives.join(QStringLiteral(" OR ")))
        + QLatin1Char(')'));
}

QString ListQuery::sql() const { return m_columns + m_from + m_where; }

} // namespace orv::data
