#include "data/collation.h"

#include "data/dbtext.h"
#include "data/fastpaths.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <algorithm>
#include <array>
#include <bit>
#include <numeric>
#include <optional>

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

namespace {

// The first level of the order as bytes (case and accents left out), the
// weights primaryCompare walks through, up to the first character it hands to
// the collator; `plain` false when there is such a character. Weights are
// below 128: fewer characters are covered. Writes at most text.size() bytes
// to `out`, as no character has more weights than bytes; returns the end.
char *primaryKey(std::string_view text, char *out, bool &plain)
{
    const PrimaryTable &t = table();
    plain = false;
    for (size_t i = 0; i < text.size();) {
        uint16_t cp;
        if (!nextLatin1(text, i, cp) || !t.w[cp])
            return out;
        *out++ = char(t.w[cp]);
        if (t.w2[cp])
            *out++ = char(t.w2[cp]);
    }
    plain = true;
    return out;
}

} // namespace

std::vector<uint32_t> germanOrder(const std::vector<std::string_view> &texts)
{
    const size_t n = texts.size();
    if (!fastPath(FastPath::KeyOrder)) {
        std::vector<uint32_t> order(n);
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(),
                  [&](uint32_t a, uint32_t b) { return germanCompare(texts[a], texts[b]) < 0; });
        return order;
    }
    size_t room = 0;
    for (const std::string_view t : texts)
        room += t.size();
    std::string keys(room, '\0');
    std::vector<uint32_t> keyStart(n + 1, 0);
    std::vector<uint8_t> plain(n, 0);
    char *at = keys.data();
    for (size_t i = 0; i < n; ++i) {
        bool whole = false;
        at = primaryKey(texts[i], at, whole);
        plain[i] = whole ? 1 : 0;
        keyStart[i + 1] = uint32_t(at - keys.data());
    }
    auto key = [&](uint32_t i) { return std::string_view(keys).substr(keyStart[i], keyStart[i + 1] - keyStart[i]); };
    // The collator's own keys, made once per text that needs them.
    std::vector<std::optional<QCollatorSortKey>> full(n);
    auto fullKey = [&](uint32_t i) -> const QCollatorSortKey & {
        if (!full[i])
            full[i].emplace(collator().sortKey(fromDbText(texts[i])));
        return *full[i];
    };
    // The same decisions as germanCompare, step by step.
    auto before = [&](uint32_t a, uint32_t b) {
        const std::string_view ka = key(a), kb = key(b);
        const size_t common = std::min(ka.size(), kb.size());
        const auto diff = std::mismatch(ka.begin(), ka.begin() + common, kb.begin());
        if (diff.first != ka.begin() + common)
            return uint8_t(*diff.first) < uint8_t(*diff.second);
        // Equal as far as both go: one may have ended, or reached a
        // character that only the collator places.
        const bool aStops = !plain[a] && ka.size() == common, bStops = !plain[b] && kb.size() == common;
        if (!aStops && !bStops) {
            if (ka.size() != kb.size())
                return ka.size() < kb.size();
            if (texts[a] == texts[b])
                return false;
        }
        if (const int c = fullKey(a).compare(fullKey(b)))
            return c < 0;
        return texts[a] < texts[b];
    };
    // Most comparisons are settled by the first sixteen key bytes, held
    // beside the number so that sorting does not chase every key in memory.
    struct Entry {
        uint64_t head[2]; // key bytes, big-endian, zeros after the end
        uint32_t id;
        uint32_t known; // how many of the sixteen bytes say something
    };
    std::vector<Entry> entries(n);
    for (uint32_t i = 0; i < n; ++i) {
        const std::string_view k = key(i);
        Entry &e = entries[i];
        e.head[0] = e.head[1] = 0;
        for (size_t j = 0; j < 16 && j < k.size(); ++j)
            e.head[j / 8] |= uint64_t(uint8_t(k[j])) << (56 - 8 * (j % 8));
        e.id = i;
        // After a key's end its zeros say "ended", unless a character the
        // collator must place comes there.
        e.known = plain[i] ? 16 : uint32_t(std::min<size_t>(16, k.size()));
    }
    std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        for (int w = 0; w < 2; ++w) {
            if (a.head[w] == b.head[w])
                continue;
            const uint32_t at = uint32_t(8 * w + std::countl_zero(a.head[w] ^ b.head[w]) / 8);
            if (at < std::min(a.known, b.known))
                return a.head[w] < b.head[w];
            break;
        }
        return before(a.id, b.id);
    });
    std::vector<uint32_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = entries[i].id;
    return order;
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
