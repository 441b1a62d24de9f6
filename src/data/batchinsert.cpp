#include "data/batchinsert.h"

#include <algorithm>

namespace orv::data {
namespace {

// Rows per stream: enough that the round trips do not count, few enough that
// a batch's text stays a few megabytes.
constexpr int kRowsPerCopy = 10000;

} // namespace

BatchInsert::BatchInsert(Connection &conn, const QString &table, const QStringList &columns, int rowsPerBatch)
    : m_conn(conn), m_table(table), m_columns(columns), m_copy(conn.backend().canCopyRows()),
      m_batch(m_copy ? std::max(rowsPerBatch, kRowsPerCopy) : rowsPerBatch),
      m_fullSql(m_copy ? QString() : sql(m_batch))
{
    m_params.reserve(columns.size() * m_batch);
}

void BatchInsert::add(std::initializer_list<QVariant> values)
{
    Q_ASSERT(static_cast<qsizetype>(values.size()) == m_columns.size());
    for (const QVariant &v : values)
        m_params.append(v);
    rowAdded();
}

void BatchInsert::add(const QVariantList &values)
{
    Q_ASSERT(values.size() == m_columns.size());
    m_params.append(values);
    rowAdded();
}

void BatchInsert::rowAdded()
{
    if (++m_rows == m_batch)
        flush();
}

void BatchInsert::flush()
{
    if (m_rows == 0)
        return;
    if (m_copy)
        m_conn.copyRows(m_table, m_columns, m_params);
    else
        m_conn.exec(m_rows == m_batch ? m_fullSql : sql(m_rows), m_params);
    m_params.clear(); // keeps the capacity
    m_written += m_rows;
    m_rows = 0;
}

QString BatchInsert::sql(int rows) const
{
    QString one = QStringLiteral("(?");
    for (qsizetype i = 1; i < m_columns.size(); ++i)
        one += QStringLiteral(", ?");
    one += QLatin1Char(')');
    QString s = QStringLiteral("INSERT INTO ") + m_table + QStringLiteral(" (") + m_columns.join(QStringLiteral(", "))
                + QStringLiteral(") VALUES ") + one;
    for (int r = 1; r < rows; ++r)
        s += QStringLiteral(", ") + one;
    return s;
}

} // namespace orv::data
