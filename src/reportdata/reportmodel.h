#pragma once
#include <QString>
#include <QStringList>

namespace orv::reportdata {

// Lines of a report are separated by CR LF, as the clipboard text is too.
inline const QString crlf = QStringLiteral("\r\n");

enum class Orientation { Portrait = 1, Landscape = 2 };

// The text model every report dialog fills and every output reads.
struct ReportModel {
    QString title;  // ReportTitle
    QString header; // ReportHeader: selection lines and the column heading, CR LF separated
    QString body;   // ReportBody: the report lines; empty means nothing to report
    Orientation orientation = Orientation::Landscape; // ReportOrientation
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
