#include "data/format.h"

#include "data/dates.h"
#include "data/storedvalue.h"

#include <QLocale>

namespace orv::data {

QLocale programLocale(const QLocale &system)
{
    if (system.language() == QLocale::German)
        return system;
    return QLocale(QLocale::German, QLocale::Germany);
}

void applyProgramLocale(const QLocale &system) { QLocale::setDefault(programLocale(system)); }

QString formatDate(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return date.toString(shortDateFormat());
}

QString formatNumber(double value, int decimals)
{
    // Rounded as every output and total rounds it: a stored 11.25 is 11,3 everywhere.
    // "0.00" has no thousands separator: 9999,99 must fit the seven places of its field.
    return formatUnits(amountUnits(value, decimals), decimals);
}

QString formatUnits(qint64 units, int decimals)
{
    QLocale loc;
    loc.setNumberOptions(loc.numberOptions() | QLocale::OmitGroupSeparator);
    quint64 scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    // Divided as integers: a double holds cents exactly only up to 2^53.
    const quint64 magnitude = units < 0 ? 0 - quint64(units) : quint64(units);
    QString text = loc.toString(qulonglong(magnitude / scale));
    if (decimals > 0)
        text += loc.decimalPoint() + QString::number(magnitude % scale).rightJustified(decimals, QLatin1Char('0'));
    return units < 0 ? loc.negativeSign() + text : text;
}

} // namespace orv::data
