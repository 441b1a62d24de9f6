#include "data/columnvalues.h"

#include "data/dbtext.h"

#include <QDate>
#include <QLocale>
#include <algorithm>
#include <charconv>
#include <string_view>

namespace orv::data {

namespace {

// A single as PostgreSQL sends it (its shortest decimal text) read as a
// double: what a fresh read of the stored value holds.
double asServerSends(float f)
{
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, f).ptr;
    double d = f;
    std::from_chars(buf, end, d);
    return d;
}

bool isReal(const ColumnStore &col) { return col.info.type == ColType::Single || col.info.type == ColType::Double; }

} // namespace

QString textOfValue(const ColumnStore &cs, uint32_t r)
{
    if (cs.isNull(r))
        return QString();
    switch (cs.info.type) {
    case ColType::Text: {
        QString t = fromDbText(cs.dict.at(cs.ids[r]));
        if (cs.info.definedSize > 0)
            t += QString(std::max<qsizetype>(0, cs.info.definedSize - characterCount(t)), QLatin1Char(' '));
        return t;
    }
    case ColType::Single:
    case ColType::Double: return QLocale().toString(cs.reals[r]);
    case ColType::Integer: return QString::number(cs.ints[r]);
    case ColType::Date: return QDate::fromJulianDay(cs.ints[r]).toString(QLocale().dateFormat(QLocale::ShortFormat));
    case ColType::Bool: return cs.ints[r] ? QStringLiteral("1") : QStringLiteral("0");
    }
    return QString();
}

void storeValue(ColumnStore &cs, uint32_t r, const StoredValue &v, uint32_t rows, bool fromServer)
{
    if (cs.info.type == ColType::Text) {
        cs.ids[r] =
            v.null ? TextDictionary::Null : cs.dict.intern(std::string_view(v.text.constData(), size_t(v.text.size())));
        return;
    }
    if (cs.info.type == ColType::Single && fromServer)
        cs.reals[r] = asServerSends(float(v.real));
    else if (isReal(cs))
        cs.reals[r] = v.real;
    else
        cs.ints[r] = v.integer;
    if (v.null && cs.nulls.empty())
        cs.nulls.resize(rows, 0);
    if (!cs.nulls.empty())
        cs.nulls[r] = v.null ? 1 : 0;
}

HeldValue heldValue(const ColumnStore &cs, int c, uint32_t r)
{
    if (cs.info.type == ColType::Text)
        return {c, cs.ids[r]};
    const bool real = isReal(cs);
    return {c, TextDictionary::Null, real ? cs.reals[r] : 0, real ? 0 : cs.ints[r], cs.isNull(r)};
}

void putBackValue(ColumnStore &cs, uint32_t r, const HeldValue &held)
{
    if (cs.info.type == ColType::Text) {
        cs.ids[r] = held.id;
        return;
    }
    if (isReal(cs))
        cs.reals[r] = held.real;
    else
        cs.ints[r] = held.integer;
    if (!cs.nulls.empty())
        cs.nulls[r] = held.null ? 1 : 0;
}

bool sameValue(const ColumnStore &cs, uint32_t r, const StoredValue &v)
{
    if (cs.info.type == ColType::Text) {
        if (cs.isNull(r))
            return v.null || v.text.isEmpty(); // shown alike: an empty field
        return !v.null && cs.dict.at(cs.ids[r]) == std::string_view(v.text.constData(), size_t(v.text.size()));
    }
    if (cs.isNull(r) || v.null)
        return cs.isNull(r) && v.null;
    // PostgreSQL sends a single as its shortest decimal text: compare at single precision.
    if (cs.info.type == ColType::Single)
        return float(cs.reals[r]) == float(v.real);
    if (cs.info.type == ColType::Double)
        return cs.reals[r] == v.real;
    return cs.ints[r] == v.integer;
}

} // namespace orv::data
