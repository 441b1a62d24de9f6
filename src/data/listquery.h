#pragma once
#include "data/backend.h"
#include "data/listtables.h"

#include <QString>
#include <QVariantList>

namespace orv::data {

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

    QString sql() const;
    const QVariantList &params() const { return m_params; }

private:
    void add(const QString &condition);
    void like(const char *column, const QString &pattern);

    const ListTable &m_list;
    const Backend &m_backend;
    QString m_columns; // SELECT ...
    QString m_from;    //  FROM ...
    QString m_where;
    QVariantList m_params;
};

} // namespace orv::data
