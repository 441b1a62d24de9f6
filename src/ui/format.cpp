#include "ui/format.h"

#include <QLocale>
#include <QRegularExpression>

namespace orv::ui {

QLocale programLocale(const QLocale &system)
{
    if (system.language() == QLocale::German)
        return system;
    return QLocale(QLocale::German, QLocale::Germany);
}

void applyProgramLocale(const QLocale &system) { QLocale::setDefault(programLocale(system)); }

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

QString formatDate(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return date.toString(shortDateFormat());
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

QString formatNumber(double value, int decimals)
{
    // "0.00" has no thousands separator: 9999,99 must fit the seven places of its field.
    QLocale loc;
    loc.setNumberOptions(loc.numberOptions() | QLocale::OmitGroupSeparator);
    return loc.toString(value, 'f', decimals);
}

std::optional<double> parseNumber(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const QLocale loc;
    double v = loc.toDouble(text, &ok);
    // Thousands separators are accepted by the locale; a plain decimal point is not
    // a German number. "nan" and "inf" pass the parser but are no amounts: every
    // range check would let them through.
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace orv::ui
