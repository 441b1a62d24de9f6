#pragma once
#include "data/connection.h"

#include <QStringList>
#include <QVariantList>

namespace orv::data {

// Writes rows in multi-row INSERT statements: one statement text for the
// full batches (the backend can keep it prepared), one for the rest. Where
// the engine takes rows as a stream (PostgreSQL's COPY), in larger batches
// as such a stream instead. Values are as the columns take them (text
// padded). Each batch is complete when add() or flush() returns: the
// connection is free for other statements between them.
class BatchInsert {
public:
    BatchInsert(Connection &conn, const QString &table, const QStringList &columns, int rowsPerBatch);
    void add(std::initializer_list<QVariant> values);
    void add(const QVariantList &values);
    void flush();
    qint64 written() const { return m_written; }

private:
    void rowAdded();
    QString sql(int rows) const;

    Connection &m_conn;
    QString m_table;
    QStringList m_columns;
    bool m_copy;
    int m_batch;
    QString m_fullSql;
    QVariantList m_params;
    int m_rows = 0;
    qint64 m_written = 0;
};

} // namespace orv::data
