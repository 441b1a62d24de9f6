#include "reports/likepattern.h"

#include "data/collation.h"

namespace orv::reports {

namespace {
QString literal(const QString &typed)
{
    const QString folded = data::foldCase(typed);
    QString out;
    out.reserve(folded.size() * 2);
    for (const QChar c : folded) {
        if (c == QLatin1Char('!') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            out += QLatin1Char('!');
        out += c;
    }
    return out;
}
} // namespace

QString likeContains(const QString &typed) { return QLatin1Char('%') + literal(typed) + QLatin1Char('%'); }
QString likeStartsWith(const QString &typed) { return literal(typed) + QLatin1Char('%'); }

} // namespace orv::reports
