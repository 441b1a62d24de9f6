#pragma once
#include "data/backend.h"

#include <QString>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace orv::data {

// Byte equality without a library call: most values are a few words long.
inline bool sameBytes(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    size_t i = 0;
    for (; i + 8 <= a.size(); i += 8) {
        uint64_t x, y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y)
            return false;
    }
    for (; i < a.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// Distinct texts of one column, each stored once (trailing blanks stripped);
// rows refer to them by number. Most columns repeat a few values many times.
class TextDictionary {
public:
    static constexpr uint32_t Null = 0;
    TextDictionary();
    uint32_t intern(std::string_view s); // s without trailing blanks
    // The same, for the next row of a column whose last row got `previous`:
    // tables often hold runs of one value (an employee's entries one after another).
    uint32_t intern(std::string_view s, uint32_t previous)
    {
        if (previous != Null && sameBytes(at(previous), s)) {
            ++m_interned;
            return previous;
        }
        return intern(s);
    }
    uint32_t lookup(std::string_view s) const; // Null when absent; only while hashed()
    // A column whose values hardly repeat (remarks, names in a huge table) stops
    // looking for repeats: every value gets its own entry, equal texts may then
    // have several.
    bool hashed() const { return m_hashed; }
    std::string_view at(uint32_t id) const
    {
        return std::string_view(m_bytes.data() + m_offsets[id], m_offsets[id + 1] - m_offsets[id]);
    }
    uint32_t size() const { return uint32_t(m_offsets.size() - 1); } // ids 1 .. size()-1

private:
    void grow();
    std::vector<char> m_bytes;
    std::vector<uint32_t> m_offsets; // id → start; one past the last
    std::vector<uint32_t> m_slots;   // open addressing: id or 0
    bool m_hashed = true;
    uint32_t m_interned = 0;
};

// The rows of one query, column by column.
struct ColumnStore {
    ColumnInfo info;
    TextDictionary dict;        // Text
    std::vector<uint32_t> ids;  // Text: dictionary id per row
    std::vector<double> reals;  // Single, Double
    std::vector<int64_t> ints;  // Integer, Date (Julian day), Bool
    std::vector<uint8_t> nulls; // non-text columns: 1 = null (empty when no nulls)
    // Dense German-order ranks of the dictionary, built on demand for sorting.
    std::vector<uint32_t> dictRank;
    uint32_t rankedSize = 0;

    bool isNull(uint32_t row) const
    {
        if (info.type == ColType::Text)
            return ids[row] == TextDictionary::Null;
        return !nulls.empty() && nulls[row];
    }
};

struct Snapshot {
    std::vector<ColumnStore> cols;
    uint32_t rows = 0;
    std::vector<uint8_t> deleted; // per row, rows deleted through this set

    // `expectedRows`: about how many rows will come, to size the columns once.
    void read(Cursor &cur, uint32_t expectedRows = 0);
    void appendEmptyRow();
    // Removes the rows marked deleted; the others keep their order.
    void dropDeleted();
};

std::string_view rtrimmed(std::string_view s);

} // namespace orv::data
