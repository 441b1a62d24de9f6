#include "data/dbtext.h"

#include <QStringDecoder>
#include <cstring>

namespace orv::data {

QString fromDbText(std::string_view b)
{
    if (b.size() < 3 || std::memcmp(b.data(), "\xEF\xBB\xBF", 3) != 0)
        return QString::fromUtf8(b.data(), qsizetype(b.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(b.data(), qsizetype(b.size())));
}

qsizetype characterCount(const QString &s)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < s.size(); ++i, ++n)
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate())
            ++i;
    return n;
}

QString leftCharacters(const QString &s, qsizetype count)
{
    qsizetype i = 0;
    for (qsizetype n = 0; i < s.size() && n < count; ++i, ++n)
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate())
            ++i;
    return s.left(i);
}

} // namespace orv::data
