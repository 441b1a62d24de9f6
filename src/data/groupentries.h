#pragma once
#include "data/connection.h"
#include "data/recordchecks.h"

#include <QDate>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// The entries of one course for many employees at once: a course planned for
// a group, the entries of its participants changed or deleted together. Each
// write is one transaction, so another workstation sees all of it or nothing,
// and each entry gets the checks a typed one gets.
namespace orv::data::group {

// An employee as the group dialogs list and filter them (texts trimmed).
struct Person {
    QString name, kostenstelle, abteilung, kategorie, bereich;
};
// Every employee, in German order of the names.
std::vector<Person> employees(Connection &conn);

// A training-plan entry as stored: texts without their filling blanks, an
// empty date invalid, the status "0" to "3".
struct Entry {
    QString kursNr, name, prioritaet, quelle;
    QDate von, bis;
    bool rechnung = false, beurteilung = false;
    QString bemerkung, status;
    bool operator==(const Entry &) const = default;
};

// The entries of a course in German order of the names; with a valid `from`
// or `to` only those whose Datum von lies within, with a status only those
// that have it.
std::vector<Entry> entries(Connection &conn, const QString &kursNr, const QDate &from = {}, const QDate &to = {},
                           const QString &status = {});

// The entry's values as the checks take them, typed into a window.
checks::Values typedValues(const Entry &e);

// "bereits eingeplant (01.01.2027 - 31.12.2027, geplant)": why a pair gets no second entry.
QString plannedAlready(const Entry &stored);

// An employee who gets no entry, or an entry that is not changed, and why.
struct Left {
    QString name;
    QString reason;
};

// Raised by a progress callback to stop; the database stays as it was.
struct Cancelled {};
// `done` of `total` steps; may throw Cancelled.
using Progress = std::function<void(qint64 done, qint64 total)>;

struct PlanResult {
    QStringList planned;    // German order
    std::vector<Left> left; // skipped, in the order of the names given
};

// Who of `names` would get an entry of the course, and who is skipped: the
// employee has one already (never overwritten) or is no longer stored.
PlanResult previewPlan(Connection &conn, const QString &kursNr, const QStringList &names);

// One entry with the values of `values` (its course and fields; its name is
// not used) for each of `names`, in one transaction; the course and the
// employees are held against deletion meanwhile. A pair that has an entry
// already, or that another workstation plans at the same moment, is skipped
// and named. Throws DbError (nothing written) and what `progress` throws.
PlanResult plan(Connection &conn, const Entry &values, const QStringList &names, const Progress &progress = {});

// The fields to set on many entries; a field not given keeps each entry's own value.
struct Change {
    std::optional<QString> prioritaet = {}, quelle = {}, bemerkung = {}, status = {};
    std::optional<QDate> von = {}, bis = {};
    std::optional<bool> rechnung = {}, beurteilung = {};
    bool any() const;
};

// The entry with the change applied.
Entry applied(const Entry &e, const Change &c);

struct ChangeResult {
    QStringList changed;    // the names of the entries written (or to be written)
    QStringList unchanged;  // the change sets what they hold already
    std::vector<Left> left; // refused by a check, or changed or deleted elsewhere since they were read
};

// What the change would do to the entries as they were read: the checks of a
// save on each entry's new values (course and employee must exist, the period
// must hold), without writing.
ChangeResult previewChange(Connection &conn, const std::vector<Entry> &read, const Change &change);

// Writes the change in one transaction. Only the columns an entry changes
// are written, as a save writes them; an entry whose columns to be written
// another workstation changed since `read`, or that it deleted, is left alone
// and named. Throws DbError (nothing written) and what `progress` throws.
ChangeResult change(Connection &conn, const std::vector<Entry> &read, const Change &change,
                    const Progress &progress = {});

// Deletes the entries in one transaction; the number deleted (entries that
// another workstation deleted meanwhile are not counted).
qint64 remove(Connection &conn, const std::vector<Entry> &entries, const Progress &progress = {});

} // namespace orv::data::group
