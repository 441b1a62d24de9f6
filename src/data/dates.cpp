#include "data/dates.h"

#include <QLocale>
#include <QRegularExpression>

namespace orv::data {

QString shortDateFormat()
{
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    // Qt's German short format has a two-digit year; the program always shows four.
    static const QRegularExpression years(QStringLiteral("y+"));
    f.replace(years, QStringLiteral("yyyy"));
    // Day and month with two digits, as the printed lists line up on them.
    static const QRegularExpression oneDay(QStringLiteral("(?<!d)d(?!d)"));
    static const QRegularExpression oneMonth(QStringLiteral("(?<!M)M(?!M)"));
    f.replace(oneDay, QStringLiteral("dd"));
    f.replace(oneMonth, QStringLiteral("MM"));
    return f;
}

std::optional<QDate> parseDate(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QLocale loc;
    const QString fmt = shortDateFormat();
    QDate d = loc.toDate(text, fmt);
    if (d.isValid())
        return d;
    // Shorter forms a user types: single-digit day or month, two-digit year.
    QString loose = fmt;
    loose.replace(QStringLiteral("dd"), QStringLiteral("d")).replace(QStringLiteral("MM"), QStringLiteral("M"));
    d = loc.toDate(text, loose);
    if (d.isValid())
        return d;
    QString shortYear = loose;
    shortYear.replace(QStringLiteral("yyyy"), QStringLiteral("yy"));
    d = loc.toDate(text, shortYear);
    if (d.isValid()) {
        // Two-digit years as the platform reads them: 00-29 in this century, else the last.
        if (d.year() < 1930)
            d = d.addYears(100);
        return d;
    }
    return std::nullopt;
}

} // namespace orv::data
