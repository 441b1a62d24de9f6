#pragma once
#include "data/connection.h"

#include <QDate>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

// The qualification matrix: who is trained in what, and is it still valid.
// Employees in rows, courses (or series) in columns, and in each cell the
// state of the employee's entry. Reads only.
namespace orv::data::matrix {

// The largest matrix made (employees × columns); a larger one is refused
// with a German message before its cells take the memory.
inline constexpr qint64 kMaxCells = 10000000;

struct Selection {
    // Rows: empty texts filter nothing; compared with the trimmed stored value.
    QString bereich, abteilung, kostenstelle, kategorie;
    bool grouped = false;       // by Bereich and Abteilung, else by name alone
    bool withoutEntries = true; // also the employees with no entry in any column

    // Columns: one per course, or one per series.
    bool series = false;
    QString rubrik, art; // the courses (or the series' courses) of this Rubrik and Art
    QStringList kursNrs; // courses: these alone, in German order, when any is given

    QDate from, to;   // the entries whose Datum von lies within; invalid: open
    QDate today;      // validity is counted from here
    int dueDays = 30; // a validity ending within so many days is due
};

// The state in a cell: the status of the entry (of a series: its latest by
// Datum von) and, where the course has a validity, that of its last
// completed training (of a series: the last one of any of its courses).
enum class Status : std::uint8_t { None, Bedarf, Geplant, Erledigt, KeineTeilnahme };
enum class Validity : std::uint8_t { None, Valid, Due, Expired };

struct Cell {
    Status status = Status::None;
    Validity validity = Validity::None;
    bool isEmpty() const { return status == Status::None; }
    // Trained and still valid: completed without a validity, or a last
    // completion that has not run out (due or not).
    bool qualified() const
    {
        return validity == Validity::Valid || validity == Validity::Due
               || (status == Status::Erledigt && validity == Validity::None);
    }
    bool operator==(const Cell &) const = default;
};

struct Column {
    QString key;               // the course number or the series code
    QString kursNr;            // the course; of a series its latest cycle (the last by number)
    QString description;       // that course's
    std::optional<int> months; // that course's validity
};

struct Row {
    QString name, bereich, abteilung, kostenstelle, kategorie;
};

struct Matrix {
    std::vector<Column> columns;
    std::vector<Row> rows;           // sorted (and grouped) as chosen
    std::vector<std::uint8_t> cells; // row by row: status in the low nibble, validity above
    std::vector<int> qualified;      // per column: the cells Cell::qualified() holds for

    Cell at(size_t row, size_t column) const
    {
        const std::uint8_t v = cells[row * columns.size() + column];
        return {Status(v & 0x0f), Validity(v >> 4)};
    }
    bool isEmpty() const { return rows.empty() || columns.empty(); }
};

// Raised by a progress callback to stop; nothing is kept.
struct Cancelled {};
// A matrix of more than kMaxCells cells, refused with a German message.
class TooLarge : public std::runtime_error {
public:
    explicit TooLarge(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};
// `done` of `total` steps; may throw Cancelled.
using Progress = std::function<void(qint64 done, qint64 total)>;

// The matrix of the selection. Throws DbError, TooLarge, and what `progress` throws.
Matrix build(Connection &conn, const Selection &sel, const Progress &progress = {});

// The courses to tick from, in German order of their numbers: number, Rubrik, Art, description (trimmed).
struct Course {
    QString kursNr, rubrik, art, beschreibung;
};
std::vector<Course> courses(Connection &conn);

} // namespace orv::data::matrix
