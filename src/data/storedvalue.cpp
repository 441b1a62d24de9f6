#include "data/storedvalue.h"

#include "data/dates.h"
#include "data/dberror.h"
#include "data/schema.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <limits>

namespace orv::data {

namespace {

DbError badValue(const ColumnInfo &ci, const QVariant &v)
{
    return DbError(ErrBadValue,
                   QStringLiteral("Der Wert \"%1\" passt nicht in das Feld %2.").arg(v.toString(), ci.name));
}

StoredValue textValue(const ColumnInfo &ci, const QVariant &v)
{
    // PostgreSQL cannot store U+0000 and would cut the text there; refused on both engines alike.
    if (v.toString().contains(QChar(0)))
        throw DbError(ErrBadValue,
                      QStringLiteral("Das Feld %1 darf kein Nullzeichen (U+0000) enthalten.").arg(ci.name));
    StoredValue out;
    const QString s = ci.definedSize > 0 ? schema::padded(v.toString(), ci.definedSize) : v.toString();
    out.param = s;
    out.null = false;
    out.text = s.toUtf8();
    while (out.text.endsWith(' '))
        out.text.chop(1);
    return out;
}

StoredValue realValue(const ColumnInfo &ci, const QVariant &v)
{
    std::optional<double> d;
    if (v.typeId() == QMetaType::QString) {
        d = numberFromText(v.toString());
    } else {
        bool ok = false;
        d = v.toDouble(&ok);
        if (!ok || !std::isfinite(*d))
            d.reset();
    }
    // Far beyond any amount a number has no places to round; single precision refuses it below.
    if (d && std::abs(*d) < 1e15)
        if (const int places = placesOf(ci.name); places >= 0)
            d = roundedAmount(*d, places);
    // A number beyond single precision would be stored as infinity.
    if (!d || (ci.type == ColType::Single && !std::isfinite(float(*d))))
        throw badValue(ci, v);
    StoredValue out;
    out.real = ci.type == ColType::Single ? double(float(*d)) : *d;
    out.param = out.real;
    out.null = false;
    return out;
}

StoredValue integerValue(const ColumnInfo &ci, const QVariant &v)
{
    bool ok = false;
    const qlonglong i = v.toLongLong(&ok);
    if (!ok)
        throw badValue(ci, v);
    StoredValue out;
    out.integer = i;
    out.param = qint64(i);
    out.null = false;
    return out;
}

StoredValue dateValue(const ColumnInfo &ci, const QVariant &v)
{
    std::optional<QDate> d;
    if (v.typeId() == QMetaType::QDate)
        d = v.toDate().isValid() ? std::optional<QDate>(v.toDate()) : std::nullopt;
    else
        d = dateFromText(v.toString());
    if (!d)
        throw badValue(ci, v);
    StoredValue out;
    out.integer = d->toJulianDay();
    out.param = *d;
    out.null = false;
    return out;
}

StoredValue boolValue(const QVariant &v)
{
    bool b = false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        b = s == QLatin1String("1") || s == QLatin1String("-1") || s == QLatin1String("true");
    } else {
        b = v.toBool();
    }
    StoredValue out;
    out.integer = b ? 1 : 0;
    out.param = b;
    out.null = false;
    return out;
}

} // namespace

int placesOf(const QString &column)
{
    if (column.compare(u"Kosten", Qt::CaseInsensitive) == 0)
        return 2;
    if (column.compare(u"Dauer", Qt::CaseInsensitive) == 0)
        return 1;
    return -1;
}

qint64 amountUnits(double value, int places)
{
    if (!std::isfinite(value))
        return 0;
    places = qBound(0, places, 9);
    qint64 scale = 1;
    for (int i = 0; i < places; ++i)
        scale *= 10;
    // Far beyond any amount: no decimal digits to look at.
    if (std::abs(value) * double(scale) >= 9e17)
        return value < 0 ? -std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::max();
    char buf[400];
    const float f = float(value);
    const std::to_chars_result r = double(f) == value
                                       ? std::to_chars(buf, buf + sizeof buf, f, std::chars_format::fixed)
                                       : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    const char *p = buf, *end = r.ptr;
    const bool negative = p < end && *p == '-';
    if (negative)
        ++p;
    qint64 units = 0;
    for (; p < end && *p != '.'; ++p)
        units = units * 10 + (*p - '0');
    if (p < end)
        ++p; // the point
    for (int i = 0; i < places; ++i) {
        units = units * 10 + (p < end ? *p - '0' : 0);
        if (p < end)
            ++p;
    }
    if (p < end && *p >= '5')
        ++units;
    return negative ? -units : units;
}

double roundedAmount(double value, int places)
{
    double scale = 1;
    for (int i = 0; i < places; ++i)
        scale *= 10;
    return double(amountUnits(value, places)) / scale;
}

std::optional<QDate> dateFromText(const QString &input)
{
    const QDate iso = QDate::fromString(input.trimmed(), Qt::ISODate);
    if (iso.isValid())
        return iso;
    return parseDate(input);
}

std::optional<double> numberFromText(const QString &input)
{
    const QString t = input.trimmed();
    bool ok = false;
    double v = QLocale().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    // "nan" and "inf" are words to the number parser, not amounts.
    if (ok && std::isfinite(v))
        return v;
    return std::nullopt;
}

StoredValue storedValue(const ColumnInfo &ci, const QVariant &v)
{
    if (v.isNull() && v.typeId() != QMetaType::QString)
        return StoredValue{}; // null
    const bool emptyText = v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty();
    // An empty date is null, however it comes.
    if (ci.type == ColType::Date && v.typeId() == QMetaType::QDate && !v.toDate().isValid())
        return StoredValue{};
    switch (ci.type) {
    case ColType::Text: return textValue(ci, v);
    case ColType::Single:
    case ColType::Double: return emptyText ? StoredValue{} : realValue(ci, v);
    case ColType::Integer: return emptyText ? StoredValue{} : integerValue(ci, v);
    case ColType::Date: return emptyText ? StoredValue{} : dateValue(ci, v);
    case ColType::Bool: return boolValue(v);
    }
    return StoredValue{};
}

QVariant storedParam(const schema::ColumnDef &column, const QVariant &value)
{
    return storedValue(ColumnInfo{QLatin1String(column.name), column.type, column.width}, value).param;
}

} // namespace orv::data
