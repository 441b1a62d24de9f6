#pragma once
#include "data/backend.h"
#include "data/listtables.h"

#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

namespace orv::data {

class Connection;

// The rows a printed list reads, with its conditions. The statement is made
// here from the list's table; the lists name the conditions' columns and values. The rows come
// unsorted: the lists sort them in memory in the German order.
class ListQuery {
public:
    // The columns of the list's table, read from its rows.
    ListQuery(const ListTable &list, const Backend &backend);

    // Each condition narrows the rows further.
    void equals(const char *column, const QVariant &value);
    // The column contains (starts with) the text, case ignored; %, _ and ! are plain characters.
    void contains(const char *column, const QString &text);
    void startsWith(const char *column, const QString &text);
    // The value lies between the two, both included.
    void between(const char *column, const QVariant &from, const QVariant &to);
    // The value is one of these; none at all selects no row.
    void oneOf(const char *column, const QVariantList &values);

    // The columns only the spreadsheet shows, after the printed ones.
    void withExportedColumns();

    // The whole statement, joins and all.
    QString sql() const;
    const QVariantList &params() const { return m_params; }

    // A joined list read as one statement per table, each with its own
    // conditions, joined by key here: the file database looks each entry's
    // employee and course up one by one, far slower than a scan of each table.
    // False when the list has no joins, or a column's table is unknown.
    bool readsTablesApart() const;
    struct TableRead {
        QString sql;
        QVariantList params;
    };
    // The statement of the list's own table first, then one per join in
    // order, each beginning with its key column.
    std::vector<TableRead> tableReads() const;
    // The rows as sql() gives them (in another order), read table by table.
    std::unique_ptr<Cursor> readApart(Connection &conn) const;

private:
    struct Condition {
        int table; // 0: the list's own, 1 + n: the n-th join's; -1: unknown
        QString sql;
        QVariantList params;
    };
    void add(const char *column, const QString &condition, QVariantList params);
    void like(const char *column, const QString &pattern);
    int tableOf(const char *column) const;

    const ListTable &m_list;
    const Backend &m_backend;
    std::vector<const ListColumn *> m_columns; // read, in this order
    std::vector<Condition> m_conditions;
    QVariantList m_params; // of every condition, in order
};

} // namespace orv::data
