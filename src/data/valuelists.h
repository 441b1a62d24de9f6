#pragma once
#include <QString>
#include <QStringList>

// The fixed value lists of the entry windows and report dialogs, kept once.
namespace orv::data::lists {

// 10 items, each padded to 40 characters; the course window's and report dialogs' list.
QStringList rubrik();
// The training plan window's read-only copy ("Spezielles Training" as sixth item).
QStringList rubrikTrainingsplan();
QStringList art();                     // "A", "I", "E"
QString artLegend(const QString &art); // "A = Intern mit externem Referent", …
QStringList kategorie();               // "Ets", "I/C", "O  "
QString kategorieLegend(const QString &kategorie);
QStringList bereichMitarbeiter();   // the employee window's order
QStringList bereichTrainingsplan(); // the training plan window's order
QStringList bereichAlphabetisch();  // the report dialog's order
QStringList prioritaet();           // " ", "1", "2", "3"
QStringList quelle();               // " ", "AAI", "ORV", "ZM "
QStringList statusCaptions();       // "Bedarf", "geplant", "erledigt", "keine Teilnahme"
QString statusCode(int status);     // "B", "G", "E", "K"; "" outside 0..3
QString statusLegend(int status);   // "B = Bedarf", …

// True when the trimmed text equals a trimmed item (exact case).
bool containsTrimmed(const QStringList &list, const QString &text);

} // namespace orv::data::lists
