#include "data/snapshot.h"

#include <algorithm>
#include <cstring>

namespace orv::data {

std::string_view rtrimmed(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ')
        --n;
    return s.substr(0, n);
}

namespace {
inline uint64_t hashBytes(std::string_view s)
{
    // Eight bytes at a time, multiply and fold: names and numbers are short.
    uint64_t h = 0x9E3779B97F4A7C15ull ^ s.size();
    size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    uint64_t tail = 0;
    if (s.size() > i)
        std::memcpy(&tail, s.data() + i, s.size() - i);
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 29);
}
} // namespace

TextDictionary::TextDictionary() : m_offsets{0, 0}, m_slots(64, 0)
{
    // id 0 is the null entry: an empty range.
}

uint32_t TextDictionary::lookup(std::string_view s) const
{
    if (!m_hashed)
        return Null;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hashBytes(s) & mask;; i = (i + 1) & mask) {
        const uint32_t id = m_slots[i];
        if (id == 0)
            return Null;
        if (at(id) == s)
            return id;
    }
}

uint32_t TextDictionary::intern(std::string_view s)
{
    ++m_interned;
    if (!m_hashed) {
        m_bytes.append(s.data(), s.size());
        m_offsets.push_back(uint32_t(m_bytes.size()));
        return size() - 1;
    }
    if ((m_interned & 0xFFFF) == 0 && size() > m_interned / 10 * 9) {
        // Nine in ten values new: hashing costs more than it saves.
        m_hashed = false;
        std::vector<uint32_t>().swap(m_slots);
        return intern(s);
    }
    const size_t mask = m_slots.size() - 1;
    size_t i = hashBytes(s) & mask;
    for (;; i = (i + 1) & mask) {
        const uint32_t id = m_slots[i];
        if (id == 0)
            break;
        if (at(id) == s)
            return id;
    }
    const uint32_t id = size();
    m_bytes.append(s.data(), s.size());
    m_offsets.push_back(uint32_t(m_bytes.size()));
    m_slots[i] = id;
    if (size_t(size()) * 2 > m_slots.size())
        grow();
    return id;
}

void TextDictionary::grow()
{
    std::vector<uint32_t> fresh(m_slots.size() * 2, 0);
    const size_t mask = fresh.size() - 1;
    for (uint32_t id = 1; id < size(); ++id) {
        size_t i = hashBytes(at(id)) & mask;
        while (fresh[i])
            i = (i + 1) & mask;
        fresh[i] = id;
    }
    m_slots.swap(fresh);
}

void Snapshot::read(Cursor &cur)
{
    const int n = cur.columnCount();
    cols.clear();
    cols.resize(size_t(n));
    for (int c = 0; c < n; ++c)
        cols[size_t(c)].info = cur.column(c);
    rows = 0;
    while (cur.next()) {
        for (int c = 0; c < n; ++c) {
            ColumnStore &col = cols[size_t(c)];
            if (col.info.type == ColType::Text) {
                std::string_view t;
                col.ids.push_back(cur.text(c, t) ? col.dict.intern(rtrimmed(t)) : TextDictionary::Null);
                continue;
            }
            const bool null = cur.isNull(c);
            switch (col.info.type) {
            case ColType::Text: continue;
            case ColType::Single:
            case ColType::Double: col.reals.push_back(null ? 0.0 : cur.real(c)); break;
            case ColType::Integer: col.ints.push_back(null ? 0 : cur.integer(c)); break;
            case ColType::Date: {
                const qint64 jd = null ? 0 : cur.julianDay(c);
                col.ints.push_back(jd);
                if (!null && jd == 0) {
                    // A text that is no date (written by another program) reads as no value.
                    if (col.nulls.empty())
                        col.nulls.resize(rows, 0);
                    col.nulls.push_back(1);
                    continue;
                }
                break;
            }
            case ColType::Bool: col.ints.push_back(null ? 0 : (cur.boolean(c) ? 1 : 0)); break;
            }
            if (null || !col.nulls.empty()) {
                col.nulls.resize(rows, 0); // the rows before the first null had values
                col.nulls.push_back(null ? 1 : 0);
            }
        }
        ++rows;
    }
    for (ColumnStore &col : cols) {
        col.ids.shrink_to_fit();
        col.reals.shrink_to_fit();
        col.ints.shrink_to_fit();
        col.nulls.shrink_to_fit();
    }
    deleted.assign(rows, 0);
}

void Snapshot::appendEmptyRow()
{
    for (ColumnStore &col : cols) {
        switch (col.info.type) {
        case ColType::Text: col.ids.push_back(TextDictionary::Null); continue;
        case ColType::Single:
        case ColType::Double: col.reals.push_back(0); break;
        default: col.ints.push_back(0); break;
        }
        if (col.nulls.empty())
            col.nulls.resize(rows, 0);
        col.nulls.push_back(1);
    }
    deleted.push_back(0);
    ++rows;
}

void Snapshot::dropDeleted()
{
    auto keep = [&](auto &v) {
        if (v.empty())
            return;
        size_t to = 0;
        for (uint32_t r = 0; r < rows; ++r)
            if (!deleted[r])
                v[to++] = v[r];
        v.resize(to);
    };
    for (ColumnStore &col : cols) {
        keep(col.ids);
        keep(col.reals);
        keep(col.ints);
        keep(col.nulls);
    }
    rows = uint32_t(std::count(deleted.begin(), deleted.end(), uint8_t(0)));
    deleted.assign(rows, 0);
}

} // namespace orv::data
