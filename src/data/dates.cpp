#include "data/dates.h"

#include <QLocale>
#include <QRegularExpression>
#include <optional>
#include <utility>

namespace orv::data {
namespace {

// A text laid out exactly as `format` (two-digit day and month, four-digit
// year, the format's separators): read digit by digit. nullopt for any other
// text or format, and for a day that does not exist; the locale's parser then
// decides. The parser takes some microseconds a date, and an import reads two
// dates in each of a hundred thousand rows.
std::optional<QDate> fixedLayoutDate(const QString &text, const QString &format)
{
    if (text.size() != format.size())
        return std::nullopt;
    int parts[3] = {-1, -1, -1}; // day, month, year
    for (qsizetype i = 0; i < format.size();) {
        const QChar f = format[i];
        const int part = f == QLatin1Char('d') ? 0 : f == QLatin1Char('M') ? 1 : f == QLatin1Char('y') ? 2 : -1;
        if (part < 0) {
            if (f.isLetter() || f == QLatin1Char('\'') || text[i] != f)
                return std::nullopt;
            ++i;
            continue;
        }
        qsizetype n = 0;
        while (i + n < format.size() && format[i + n] == f)
            ++n;
        if (parts[part] >= 0 || n != (part == 2 ? 4 : 2))
            return std::nullopt;
        int v = 0;
        for (qsizetype k = i; k < i + n; ++k) {
            const char16_t c = text[k].unicode();
            if (c < u'0' || c > u'9')
                return std::nullopt;
            v = v * 10 + int(c - u'0');
        }
        parts[part] = v;
        i += n;
    }
    if (parts[0] < 0 || parts[1] < 0 || parts[2] < 0)
        return std::nullopt;
    const QDate d(parts[2], parts[1], parts[0]);
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

} // namespace

QString shortDateFormat()
{
    // Built once per locale: the regular expressions below cost more than the
    // rest of a date check.
    static thread_local std::optional<std::pair<QLocale, QString>> built;
    const QLocale locale;
    if (built && built->first == locale)
        return built->second;
    QString f = locale.dateFormat(QLocale::ShortFormat);
    // Qt's German short format has a two-digit year; the program always shows four.
    static const QRegularExpression years(QStringLiteral("y+"));
    f.replace(years, QStringLiteral("yyyy"));
    // Day and month with two digits, as the printed lists line up on them.
    static const QRegularExpression oneDay(QStringLiteral("(?<!d)d(?!d)"));
    static const QRegularExpression oneMonth(QStringLiteral("(?<!M)M(?!M)"));
    f.replace(oneDay, QStringLiteral("dd"));
    f.replace(oneMonth, QStringLiteral("MM"));
    built.emplace(locale, f);
    return f;
}

QString shortDateText(const QDate &date)
{
    const QString fmt = shortDateFormat();
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return date.toString(fmt);
    QString out(fmt.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < fmt.size();) {
        const QChar f = fmt[i];
        const int value = f == QLatin1Char('d')   ? date.day()
                          : f == QLatin1Char('M') ? date.month()
                          : f == QLatin1Char('y') ? date.year()
                                                  : -1;
        if (value < 0) {
            if (f.isLetter() || f == QLatin1Char('\''))
                return date.toString(fmt);
            out[i++] = f;
            continue;
        }
        qsizetype n = 0;
        while (i + n < fmt.size() && fmt[i + n] == f)
            ++n;
        if (n != (f == QLatin1Char('y') ? 4 : 2))
            return date.toString(fmt);
        for (qsizetype k = i + n - 1, v = value; k >= i; --k, v /= 10)
            out[k] = QChar(char16_t(u'0' + v % 10));
        i += n;
    }
    return out;
}

std::optional<QDate> parseDate(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QString fmt = shortDateFormat();
    if (const auto fixed = fixedLayoutDate(text, fmt))
        return fixed;
    const QLocale loc;
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

qint64 julianDayFromIso(std::string_view text)
{
    // Read digit by digit: a million rows hold two dates each.
    const char *s = text.data();
    if (text.size() < 10 || s[4] != '-' || s[7] != '-')
        return 0;
    auto dig = [&](int i) { return unsigned(s[i] - '0') <= 9 ? int(s[i] - '0') : -1000000; };
    const int y = dig(0) * 1000 + dig(1) * 100 + dig(2) * 10 + dig(3);
    const int m = dig(5) * 10 + dig(6), d = dig(8) * 10 + dig(9);
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1)
        return 0;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > days[m - 1] + (m == 2 && leap ? 1 : 0))
        return 0;
    // Gregorian calendar to Julian day number (Fliegel and Van Flandern), as QDate counts.
    const int a = (m - 14) / 12;
    return qint64(d - 32075 + 1461 * (y + 4800 + a) / 4 + 367 * (m - 2 - a * 12) / 12 - 3 * ((y + 4900 + a) / 100) / 4);
}

} // namespace orv::data
