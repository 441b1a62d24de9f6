#pragma once
#include "data/dates.h"
#include "data/recordchecks.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

// Numbers and dates as the user's regional settings show them, for the
// windows and the reports alike.
namespace orv::data {

// The regional settings the program works with: the system's when its
// language is German (Germany, Austria, Switzerland keep their own
// conventions), German (Germany) otherwise, since every text, check and
// report of the program assumes German conventions.
QLocale programLocale(const QLocale &system);
// Decides the formats once at start-up: the default locale of every window.
void applyProgramLocale(const QLocale &system = QLocale::system());

// parseDate (as users type dates) and shortDateFormat ("dd.MM.yyyy" in
// Germany) come with data/dates.h.
QString formatDate(const QDate &date); // "" for an invalid date

// A number with a fixed count of decimals in the user's format ("12,50").
QString formatNumber(double value, int decimals);
// A whole count of the smallest unit (cents with 2 decimals, tenths with 1)
// in the same format, digit for digit: a total of any size stays exact.
QString formatUnits(qint64 units, int decimals);
// parseNumber, a number typed in the user's format, comes with data/recordchecks.h.

} // namespace orv::data
