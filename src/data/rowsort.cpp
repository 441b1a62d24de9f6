#include "data/rowsort.h"

#include "data/collation.h"

#include <algorithm>
#include <bit>
#include <string_view>
#include <utility>

namespace orv::data {

namespace {

void ensureDictRank(ColumnStore &col)
{
    const uint32_t n = col.dict.size();
    if (col.rankedSize == n)
        return;
    std::vector<std::string_view> texts(n > 0 ? n - 1 : 0);
    for (uint32_t i = 1; i < n; ++i)
        texts[i - 1] = col.dict.at(i);
    std::vector<uint32_t> ids = germanOrder(texts);
    for (uint32_t &id : ids)
        ++id; // dictionary ids start at 1
    col.dictRank.assign(n, 0);
    uint32_t rank = 0;
    for (uint32_t i = 0; i < ids.size(); ++i) {
        // Equal texts (possible in a dictionary that stopped hashing) share their rank.
        if (i == 0 || col.dict.at(ids[i]) != col.dict.at(ids[i - 1]))
            ++rank;
        col.dictRank[ids[i]] = rank; // 0 stays for null: nulls first
    }
    col.rankedSize = n;
}

// Dense ranks of one column for the given rows (0 = null, first).
std::vector<uint32_t> ranksFor(ColumnStore &col, const std::vector<uint32_t> &rows, uint32_t &maxRank)
{
    std::vector<uint32_t> rank(rows.size());
    if (col.info.type == ColType::Text) {
        ensureDictRank(col);
        for (size_t i = 0; i < rows.size(); ++i)
            rank[i] = col.dictRank[col.ids[rows[i]]];
        maxRank = col.dict.size();
        return rank;
    }
    const bool real = col.info.type == ColType::Single || col.info.type == ColType::Double;
    std::vector<double> values;
    values.reserve(rows.size());
    for (uint32_t r : rows)
        if (!col.isNull(r))
            values.push_back(real ? col.reals[r] : double(col.ints[r]));
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    for (size_t i = 0; i < rows.size(); ++i) {
        const uint32_t r = rows[i];
        if (col.isNull(r))
            continue;
        const double v = real ? col.reals[r] : double(col.ints[r]);
        rank[i] = uint32_t(std::lower_bound(values.begin(), values.end(), v) - values.begin()) + 1;
    }
    maxRank = uint32_t(values.size()) + 1;
    return rank;
}

// Stable sort of the keys by their bits [from, to), eleven bits a pass.
void radixSort(std::vector<uint64_t> &keys, int from, int to)
{
    constexpr int kDigit = 11;
    constexpr uint64_t kMask = (uint64_t(1) << kDigit) - 1;
    std::vector<uint64_t> moved(keys.size());
    std::vector<size_t> start(size_t(1) << kDigit);
    for (int shift = from; shift < to; shift += kDigit) {
        std::fill(start.begin(), start.end(), 0);
        for (const uint64_t k : keys)
            ++start[(k >> shift) & kMask];
        if (std::find(start.begin(), start.end(), keys.size()) != start.end())
            continue; // every key has the same digit here
        size_t sum = 0;
        for (size_t &s : start)
            sum += std::exchange(s, sum);
        for (const uint64_t k : keys)
            moved[start[(k >> shift) & kMask]++] = k;
        keys.swap(moved);
    }
}

} // namespace

void sortRows(Snapshot &snap, std::vector<uint32_t> &order, const std::vector<int> &columns)
{
    std::vector<std::vector<uint32_t>> ranks;
    std::vector<int> widths;
    int bits = 0;
    for (const int c : columns) {
        uint32_t maxRank = 0;
        ranks.push_back(ranksFor(snap.cols[size_t(c)], order, maxRank));
        widths.push_back(int(std::bit_width(maxRank)));
        bits += widths.back();
    }
    const size_t n = order.size();
    const int rowBits = int(std::bit_width(snap.rows));
    if (bits + rowBits <= 64) {
        // All ranks and the row number packed into one key per row: the
        // row number breaks ties, so equal ranks keep the order of the
        // query result.
        std::vector<uint64_t> keys(n);
        for (size_t i = 0; i < n; ++i) {
            uint64_t k = 0;
            for (size_t j = 0; j < ranks.size(); ++j)
                k = (k << widths[j]) | ranks[j][i];
            keys[i] = (k << rowBits) | order[i];
        }
        if (!std::is_sorted(keys.begin(), keys.end())) {
            // Rows still in the table's order need only their ranks sorted.
            const bool tableOrder = std::is_sorted(order.begin(), order.end());
            radixSort(keys, tableOrder ? rowBits : 0, bits + rowBits);
        }
        const uint64_t rowMask = (uint64_t(1) << rowBits) - 1;
        for (size_t i = 0; i < n; ++i)
            order[i] = uint32_t(keys[i] & rowMask);
        return;
    }
    // Too many distinct values to pack (several columns of many texts): the
    // ranks compared one column after the other, the row number last.
    std::vector<uint32_t> idx(n);
    for (size_t i = 0; i < n; ++i)
        idx[i] = uint32_t(i);
    std::sort(idx.begin(), idx.end(), [&](uint32_t a, uint32_t b) {
        for (const auto &r : ranks)
            if (r[a] != r[b])
                return r[a] < r[b];
        return order[a] < order[b];
    });
    std::vector<uint32_t> sorted(n);
    for (size_t i = 0; i < n; ++i)
        sorted[i] = order[idx[i]];
    order.swap(sorted);
}

} // namespace orv::data
