#pragma once
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace orv::reportdata {

// Lines of a report are separated by CR LF, as the clipboard text is too.
inline const QString crlf = QStringLiteral("\r\n");

enum class Orientation { Portrait = 1, Landscape = 2 };

// A table wider than a page (the qualification matrix). The print cuts its
// lines into page-wide slices of whole columns; each slice starts on a page
// of its own, repeats the row names and the column headings, and has the key
// lines of its own columns below its rows. The other outputs show the lines whole.
struct TableSlices {
    int rowNames = 0;              // characters before the first column (the row names), repeated on every slice
    std::vector<int> columnStarts; // where each column starts, ascending, none before rowNames
    int headerFrom = 0;            // header lines from this one on are the table's headings
    int rows = 0;                  // the first body lines are the table's rows
    std::vector<int> wholeRows;    // of them the lines printed whole on every slice (group headings), ascending
    // Body lines from `rows` up to here are printed whole below every slice
    // (a heading of the key); then come the key lines, one per column, and
    // after them what is printed whole once, after the last slice (the legend).
    int keyFrom = 0;
};

// The text model every report dialog fills and every output reads.
struct ReportModel {
    QString title;  // ReportTitle
    QString header; // ReportHeader: selection lines and the column heading, CR LF separated
    QString body;   // ReportBody: the report lines; empty means nothing to report
    Orientation orientation = Orientation::Landscape; // ReportOrientation
    std::optional<TableSlices> slices;                // only for a table wider than a page
};

// Splits at CR LF; a text ending in CR LF yields a last, empty line.
QStringList splitLines(const QString &text);

// "ORV V. 1.0.1": the program line of every heading.
QString programLine();
// "Datum: " + today's short date + three blanks + the setting Remark.
QString dateLine();

// The clipboard text: program line, date line, title, header block and body.
QString composeText(const ReportModel &model);

// A right-aligned field as the list layouts use it; a longer text is kept whole.
inline QString rightAligned(const QString &text, int width) { return text.rightJustified(width, QLatin1Char(' ')); }

} // namespace orv::reportdata
