#include "data/collation.h"

#include "data/dbtext.h"

#include <QCollator>
#include <QLocale>
#include <array>

namespace orv::data {
namespace {

// Primary weights for the characters a German data set is made of; 0 means
// "not covered", which hands the comparison to the full collator.
struct PrimaryTable {
    std::array<uint16_t, 256> w{};
    std::array<uint16_t, 256> w2{}; // second weight of an expansion (ß → ss)
    PrimaryTable()
    {
        uint16_t next = 1;
        // Blanks and punctuation first, in the order of the common collation tables.
        const char *punct = " _-,;:!?.'\"()[]{}@*/\\&#%`^+<=>|~$";
        for (const char *p = punct; *p; ++p)
            w[uint8_t(*p)] = next++;
        for (char c = '0'; c <= '9'; ++c)
            w[uint8_t(c)] = next++;
        const uint16_t letterA = next;
        for (char c = 'a'; c <= 'z'; ++c) {
            w[uint8_t(c)] = next;
            w[uint8_t(c - 'a' + 'A')] = next;
            ++next;
        }
        auto letter = [&](char base) { return uint16_t(letterA + (base - 'a')); };
        // Latin-1 letters with accents share the weight of their base letter.
        const char *accented[] = {"aÀÁÂÃÄÅàáâãäå", "cÇç",           "eÈÉÊËèéêë", "iÌÍÎÏìíîï",
                                  "nÑñ",           "oÒÓÔÕÖØòóôõöø", "uÙÚÛÜùúûü", "yÝýÿ"};
        for (const char *group : accented) {
            const QString g = QString::fromUtf8(group);
            const uint16_t weight = letter(char(g.at(0).unicode()));
            for (int i = 1; i < g.size(); ++i)
                w[g.at(i).unicode()] = weight;
        }
        w[0xDF] = letter('s'); // ß
        w2[0xDF] = letter('s');
    }
};

const PrimaryTable &table()
{
    static const PrimaryTable t;
    return t;
}

// Decodes one UTF-8 character; returns false for characters beyond Latin-1.
inline bool nextLatin1(std::string_view s, size_t &i, uint16_t &cp)
{
    const uint8_t c = uint8_t(s[i]);
    if (c < 0x80) {
        cp = c;
        ++i;
        return true;
    }
    if ((c == 0xC2 || c == 0xC3) && i + 1 < s.size()) {
        cp = uint16_t(((c & 0x1F) << 6) | (uint8_t(s[i + 1]) & 0x3F));
        i += 2;
        return true;
    }
    return false;
}

// -1/0/1 on primary weights, or 2 when a character is not covered.
int primaryCompare(std::string_view a, std::string_view b)
{
    const PrimaryTable &t = table();
    size_t i = 0, j = 0;
    uint16_t pendA = 0, pendB = 0;
    for (;;) {
        uint16_t wa = 0, wb = 0;
        if (pendA) {
            wa = pendA;
            pendA = 0;
        } else if (i < a.size()) {
            uint16_t cp;
            if (!nextLatin1(a, i, cp) || !(wa = t.w[cp]))
                return 2;
            pendA = t.w2[cp];
        }
        if (pendB) {
            wb = pendB;
            pendB = 0;
        } else if (j < b.size()) {
            uint16_t cp;
            if (!nextLatin1(b, j, cp) || !(wb = t.w[cp]))
                return 2;
            pendB = t.w2[cp];
        }
        if (!wa && !wb)
            return 0;
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
}

QCollator &collator()
{
    thread_local QCollator c(QLocale(QLocale::German, QLocale::Germany));
    return c;
}

} // namespace

int germanCompare(std::string_view a, std::string_view b)
{
    const int p = primaryCompare(a, b);
    if (p == -1 || p == 1)
        return p;
    if (p == 0 && a == b)
        return 0;
    // Equal at the primary level (case or accents differ) or beyond Latin-1:
    // the full collator decides.
    const int r = collator().compare(fromDbText(a), fromDbText(b));
    if (r != 0)
        return r < 0 ? -1 : 1;
    return a < b ? -1 : (a == b ? 0 : 1);
}

int germanCompare(const QString &a, const QString &b)
{
    const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    return germanCompare(std::string_view(ua.constData(), size_t(ua.size())),
                         std::string_view(ub.constData(), size_t(ub.size())));
}

QString foldCase(const QString &s)
{
    // A final sigma is a lower-case sigma too; PostgreSQL writes it where a
    // word ends, and both engines must fold alike.
    QString out = s.toLower();
    out.replace(QChar(0x03C2), QChar(0x03C3));
    return out;
}

} // namespace orv::data
