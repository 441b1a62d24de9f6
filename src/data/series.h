#pragma once
#include "data/connection.h"

#include <QDate>
#include <QStringList>
#include <optional>
#include <vector>

// Trainings that must be repeated: a course belongs to a series (Reihe, a
// short code such as "UW" for the yearly safety instruction) and its training
// stays valid for some months. Each cycle of a series is a course of its own.
namespace orv::data::series {

inline constexpr int kCodeWidth = 10;
inline constexpr int kMaxMonths = 999;
// The longest due list made (a larger one is refused with a German message).
inline constexpr size_t kMaxDueRows = 1000000;

struct CourseSeries {
    QString reihe;             // trimmed; empty: the course is in no series
    std::optional<int> months; // Gültigkeit; nullopt: valid for good
    bool isEmpty() const { return reihe.isEmpty() && !months; }
    bool operator==(const CourseSeries &) const = default;
};

// "Die Gültigkeit muß zwischen 1 und 999 Monaten liegen."
QString monthsMessage();
// The series entry of a course; empty when it has none.
CourseSeries ofCourse(Connection &conn, const QString &kursNr);
// Stores the series entry of a course, or removes it when empty. Throws
// DbError: ErrBadValue for a code longer than kCodeWidth or months outside
// 1 to kMaxMonths, ErrRowGone when the course is not (any more) stored.
void setForCourse(Connection &conn, const QString &kursNr, const CourseSeries &s);
// The series codes in use, in German order.
QStringList codes(Connection &conn);

// The next course of a series: the course `from` copied under the number
// `to` with its series entry, in one transaction. Throws DbError
// (ErrDuplicateKey when `to` is taken, ErrRowGone when `from` is gone).
void copyCourse(Connection &conn, const QString &from, const QString &to);

// "Fällige Schulungen": who must repeat a training.
struct DueSelection {
    QString reihe;                                 // empty: every series
    QDate until;                                   // listed when the validity ends before this day
    QDate today;                                   // the days left are counted from here
    QString bereich, abteilung, kategorie, rubrik; // empty: no filter
    bool withNever = false;                        // the employees (of the filters) who never completed the series too
};

struct DueRow {
    QString reihe, name, bereich, abteilung, kategorie;
    QString kursNr;     // the last completed course; empty for one who never took part
    QDate done;         // its Datum bis
    QDate validUntil;   // done plus the course's months
    qint64 days = 0;    // from today to validUntil; negative once it has run out
    QString nextKursNr; // an entry of the series still to come (Bedarf or geplant), if any
    QDate nextFrom;
    bool never() const { return kursNr.isEmpty(); }
};

// Each employee whose last completed entry of a series (Status erledigt,
// its Datum bis plus its course's months) runs out before `until`, or has
// run out; an entry only planned does not count, nor one without a
// validity. Sorted by series, the earliest end first (who never took part
// before all), then by name in German order. The Rubrik filter takes the
// entries of courses of that Rubrik.
std::vector<DueRow> due(Connection &conn, const DueSelection &sel);

} // namespace orv::data::series
