#pragma once
#include "data/backend.h"

#include <QString>
#include <QVariantList>

namespace orv::data {

// The rows a printed list reads, with its conditions. The statement is made
// here; the lists name the rows, the columns and the values. The rows come
// unsorted: the lists sort them in memory in the German order.
class ListQuery {
public:
    enum class Rows {
        Courses,      // KursNr, Rubrik, Beschreibung, Art, Referent, Kosten, Dauer
        Employees,    // Name, Kostenstelle, Abteilung, Kategorie, Bereich
        TrainingPlan, // the course, the employee's Name, Kategorie, Bereich, then the entry's own columns
    };
    ListQuery(Rows rows, const Backend &backend);

    // Each condition narrows the rows further.
    void equals(const char *column, const QVariant &value);
    // The column contains (starts with) the text, case ignored; %, _ and ! are plain characters.
    void contains(const char *column, const QString &text);
    void startsWith(const char *column, const QString &text);
    // The value lies between the two, both included.
    void between(const char *column, const QVariant &from, const QVariant &to);
    // The value is one of these; none at all selects no row.
    void oneOf(const char *column, const QVariantList &values);

    // Further columns after the usual ones (the spreadsheet export of the plan
    // carries source and remark, which the printed list leaves out).
    void alsoSelect(const QString &columns) { m_select += QLatin1Char(',') + columns; }

    QString sql() const;
    const QVariantList &params() const { return m_params; }

private:
    void add(const QString &condition);
    void like(const char *column, const QString &pattern);

    const Backend &m_backend;
    QString m_select;
    QString m_from;
    QString m_where;
    QVariantList m_params;
};

} // namespace orv::data
