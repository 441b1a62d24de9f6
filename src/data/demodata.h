#pragma once
#include "data/backend.h"
#include "data/connection.h"

#include <QString>
#include <stdexcept>

// Filling new databases: the German sample a new site looks at first, and
// generated training plans of any size for measuring the record windows.
namespace orv::data::demo {

struct Summary {
    qint64 employees = 0;
    qint64 courses = 0;
    qint64 entries = 0;
};

// About 40 employees over every Bereich and Kategorie, 25 courses over every
// Rubrik and Art, 300 training-plan entries over every status and 2025-2027.
// Writes inside one transaction.
Summary fillDemo(Connection &conn);

// `entries` training-plan rows with max(10, ⌈entries/20⌉) employees and
// max(25, entries/400) courses; the same rows for the same count, on every
// machine. Writes inside one transaction.
Summary fillRows(Connection &conn, qint64 entries);

// The sizes fillRows() uses for a given count.
qint64 employeesForRows(qint64 entries);
qint64 coursesForRows(qint64 entries);

// The target already holds a database (the file exists, or the tables do).
class AlreadyExists : public std::runtime_error {
public:
    explicit AlreadyExists(const QString &what) : std::runtime_error(what.toStdString()), m_text(what) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};

enum class Content { Empty, Demo, Rows };

// Creates a new database at the target: the three tables and the chosen
// content. Never touches an existing database (throws AlreadyExists); on any
// other failure (DbError) nothing of the new database is left behind.
Summary initDatabase(const ConnectionTarget &target, Content content, qint64 rows = 0);

} // namespace orv::data::demo
