#pragma once
#include <QString>
#include <QStringList>

class QWidget;

namespace orv::data {
class RecordSet;
}

namespace orv::search {

// What the search dialog shows for one table: the search field captions of
// its list and, per caption, the searched column, the shown columns, the
// blanks before each shown column and the heading line. The four texts keep
// the "," / ";" separated form the callers hand over.
struct SeekLayout {
    QStringList captions; // lstFields entries
    QString fields;       // SeekFields
    QString columns;      // SeekColumns
    QString gaps;         // SeekGaps
    QString headings;     // SeekHeadings
};

SeekLayout kursSeekLayout();
SeekLayout mitarbeiterSeekLayout();
SeekLayout trainingsplanSeekLayout();

// Runs the search dialog modally over the rows of `rows` (a set opened with
// "select * from <table>") and returns the 1-based position of the chosen row
// in it, or 0 when the user cancelled.
int runSeek(QWidget *parent, data::RecordSet &rows, const SeekLayout &layout);

} // namespace orv::search
