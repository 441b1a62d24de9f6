#pragma once
#include <QList>
#include <QString>

class QWidget;

namespace orv::data {
class RecordSet;
}

namespace orv::search {

// What the search dialog shows for one search field of a table: its caption
// in the list, the searched column, the shown columns with the blanks before
// each, and the heading line over the results.
struct SeekColumn {
    QString name;
    int gap = 0; // blanks before the column
};
struct SeekField {
    QString caption; // lstFields entry
    QString field;   // searched column
    QList<SeekColumn> columns;
    QString heading;
};
using SeekLayout = QList<SeekField>;

SeekLayout kursSeekLayout();
SeekLayout mitarbeiterSeekLayout();
SeekLayout trainingsplanSeekLayout();

// Runs the search dialog modally over the rows of `rows` (a set opened with
// "select * from <table>") and returns the 1-based position of the chosen row
// in it, or 0 when the user cancelled.
int runSeek(QWidget *parent, data::RecordSet &rows, const SeekLayout &layout);

} // namespace orv::search
