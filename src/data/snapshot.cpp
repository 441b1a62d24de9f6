#include "data/snapshot.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

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
        if (sameBytes(at(id), s))
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
        if (sameBytes(at(id), s))
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

namespace {

// Rows as the cursor gave them, cell after cell, handed from the reading
// thread to the one that builds the columns.
struct Block {
    static constexpr uint32_t kRows = 4096;
    static constexpr uint32_t kNullText = UINT32_MAX;
    std::string bytes;             // the texts one after another
    std::vector<uint32_t> lengths; // per text cell; kNullText for null
    std::vector<int64_t> ints;     // per Integer, Date, Bool cell
    std::vector<double> reals;     // per Single, Double cell
    std::vector<uint8_t> nulls;    // per cell of the other types
    uint32_t rows = 0;

    void clear()
    {
        bytes.clear();
        lengths.clear();
        ints.clear();
        reals.clear();
        nulls.clear();
        rows = 0;
    }
    // Up to kRows rows; false when the cursor has no more.
    bool fill(Cursor &cur, const std::vector<ColType> &types)
    {
        clear();
        while (rows < kRows) {
            if (!cur.next())
                return false;
            for (size_t c = 0; c < types.size(); ++c) {
                const int col = int(c);
                const ColType type = types[c];
                if (type == ColType::Text) {
                    std::string_view t;
                    if (cur.text(col, t)) {
                        bytes.append(t.data(), t.size());
                        lengths.push_back(uint32_t(t.size()));
                    } else {
                        lengths.push_back(kNullText);
                    }
                    continue;
                }
                const bool null = cur.isNull(col);
                nulls.push_back(null ? 1 : 0);
                switch (type) {
                case ColType::Text: break;
                case ColType::Single:
                case ColType::Double: reals.push_back(null ? 0.0 : cur.real(col)); break;
                case ColType::Integer: ints.push_back(null ? 0 : cur.integer(col)); break;
                case ColType::Date: ints.push_back(null ? 0 : cur.julianDay(col)); break;
                case ColType::Bool: ints.push_back(null ? 0 : (cur.boolean(col) ? 1 : 0)); break;
                }
            }
            ++rows;
        }
        return true;
    }
};

// The reading thread's side: full blocks one way, emptied ones back, at
// most a few in flight so that memory stays small.
class BlockQueue {
public:
    static constexpr size_t kBlocks = 4;

    // The reader's next empty block; nullptr when the reading is to stop.
    std::unique_ptr<Block> takeEmpty()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stop || !m_empty.empty() || m_made < kBlocks; });
        if (m_stop)
            return nullptr;
        if (m_empty.empty()) {
            ++m_made;
            return std::make_unique<Block>();
        }
        auto b = std::move(m_empty.back());
        m_empty.pop_back();
        return b;
    }
    void putFull(std::unique_ptr<Block> b)
    {
        std::lock_guard lock(m_mutex);
        m_full.push_back(std::move(b));
        m_changed.notify_all();
    }
    // The reader is through, with or without an error.
    void finish(std::exception_ptr error)
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_error = error;
        m_changed.notify_all();
    }
    // The builder's next full block; nullptr at the end (after rethrowing the reader's error).
    std::unique_ptr<Block> takeFull()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_finished || !m_full.empty(); });
        if (m_full.empty()) {
            if (m_error)
                std::rethrow_exception(m_error);
            return nullptr;
        }
        auto b = std::move(m_full.front());
        m_full.pop_front();
        return b;
    }
    void putEmpty(std::unique_ptr<Block> b)
    {
        std::lock_guard lock(m_mutex);
        m_empty.push_back(std::move(b));
        m_changed.notify_all();
    }
    void stop()
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Block>> m_full;
    std::vector<std::unique_ptr<Block>> m_empty;
    size_t m_made = 0;
    bool m_finished = false;
    bool m_stop = false;
    std::exception_ptr m_error;
};

} // namespace

void Snapshot::read(Cursor &cur)
{
    const int n = cur.columnCount();
    cols.clear();
    cols.resize(size_t(n));
    for (int c = 0; c < n; ++c)
        cols[size_t(c)].info = cur.column(c);
    rows = 0;

    // One thread steps through the result while this one files the values
    // away: the two halves of the work take about as long as each other.
    // Nothing else uses the connection until the read is over.
    BlockQueue queue;
    std::vector<ColType> types;
    for (const ColumnStore &col : cols)
        types.push_back(col.info.type);
    std::thread reader([&queue, &cur, &types] {
        try {
            bool more = true;
            while (more) {
                std::unique_ptr<Block> b = queue.takeEmpty();
                if (!b)
                    break;
                more = b->fill(cur, types);
                queue.putFull(std::move(b));
            }
            queue.finish(nullptr);
        } catch (...) {
            queue.finish(std::current_exception());
        }
    });
    struct Join {
        BlockQueue &queue;
        std::thread &reader;
        ~Join()
        {
            queue.stop();
            reader.join();
        }
    } join{queue, reader};

    std::vector<uint32_t> last(size_t(n), TextDictionary::Null);
    while (std::unique_ptr<Block> b = queue.takeFull()) {
        size_t text = 0, offset = 0, other = 0, real = 0, integer = 0;
        for (uint32_t r = 0; r < b->rows; ++r) {
            for (int c = 0; c < n; ++c) {
                ColumnStore &col = cols[size_t(c)];
                if (col.info.type == ColType::Text) {
                    const uint32_t length = b->lengths[text++];
                    uint32_t &id = last[size_t(c)];
                    if (length == Block::kNullText) {
                        id = TextDictionary::Null;
                    } else {
                        id = col.dict.intern(rtrimmed(std::string_view(b->bytes.data() + offset, length)), id);
                        offset += length;
                    }
                    col.ids.push_back(id);
                    continue;
                }
                const bool null = b->nulls[other++] != 0;
                switch (col.info.type) {
                case ColType::Text: continue;
                case ColType::Single:
                case ColType::Double: col.reals.push_back(b->reals[real++]); break;
                case ColType::Integer:
                case ColType::Bool: col.ints.push_back(b->ints[integer++]); break;
                case ColType::Date: {
                    const int64_t jd = b->ints[integer++];
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
                }
                if (null || !col.nulls.empty()) {
                    col.nulls.resize(rows, 0); // the rows before the first null had values
                    col.nulls.push_back(null ? 1 : 0);
                }
            }
            ++rows;
        }
        queue.putEmpty(std::move(b));
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
