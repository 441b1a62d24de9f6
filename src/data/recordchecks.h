#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// Whether a record's values are acceptable, decided the same way for a record
// typed into its window and for a row read from a file: the checks in the
// windows' order, each failure with the window's German message.
namespace orv::data {

// A number in the user's format; nullopt when the text is not a number (also "").
std::optional<double> parseNumber(const QString &text);

namespace checks {

// A failed check: the column it concerns and its message; for a value that
// is not in its list, the list's items (trimmed) as well.
struct Fault {
    QString column;
    QString message;
    QStringList allowed;
    explicit operator bool() const { return !message.isEmpty(); }
};

// A value of the record by column name, as typed (not trimmed); a date in the
// user's short format, a number in the user's format, the status as "0" to "3".
using Values = std::function<QString(const char *column)>;

// What the checks look up in the database.
struct Lookups {
    // A record with this key is stored already (a new record only).
    std::function<bool(const QStringList &key)> keyExists;
    // When set, asked instead of keyExists: the message for a key that is
    // taken, empty when it is free.
    std::function<QString(const QStringList &key)> keyTaken;
    // A plan entry's course and employee exist.
    std::function<bool(const QString &kursNr)> courseExists;
    std::function<bool(const QString &name)> employeeExists;
};

// A fault found while the value was read (a file's cell that is no yes/no
// value, a formula without its value, …): it takes the place of the column's
// own checks. Empty when the value could be read.
using Unreadable = std::function<QString(const char *column)>;

// `adding`: a new record, whose key is checked too; a stored record keeps its key.
// The first failed check, as the windows show it.
Fault kurs(const Values &v, bool adding, const Lookups &lookups);
Fault mitarbeiter(const Values &v, bool adding, const Lookups &lookups);
Fault trainingsplan(const Values &v, bool adding, const Lookups &lookups);
// The checks of the table of that name ("Kurs", "Mitarbeiter", "Trainingsplan").
Fault forTable(const QString &table, const Values &v, bool adding, const Lookups &lookups);

// Every failed check of the record, in the windows' order, column by column
// in the table's order: a value is checked against its list before its length,
// and a check that needs an earlier one to pass (the order of two dates, a
// name's form) runs only when it passed. Texts longer than their column
// ("Der Text ist länger als 6 Zeichen.") are faults too.
std::vector<Fault> allFaults(const QString &table, const Values &v, bool adding, const Lookups &lookups,
                             const Unreadable &unreadable = {});

// A required list value: `empty` when nothing is typed, `unknown` when the
// text is not one of the items (blanks at either end do not count), nullptr when fine.
const char *listFault(const QString &text, const QStringList &items, const char *empty, const char *unknown);
// An amount as its single precision column holds it: `invalid` when it is no
// number, `outOfRange` outside 0 to `maximum`, nullptr when fine.
const char *amountFault(const QString &text, float maximum, const char *invalid, const char *outOfRange);

} // namespace checks
} // namespace orv::data
