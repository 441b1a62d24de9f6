#include "data/snapshot.h"

#include "data/dates.h"
#include "data/fastpaths.h"

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
    // Fixed-width columns end in long runs of blanks: eight at a time first.
    constexpr uint64_t kBlanks = 0x2020202020202020ull;
    size_t n = s.size();
    while (n >= 8) {
        uint64_t w;
        std::memcpy(&w, s.data() + n - 8, 8);
        if (w != kBlanks)
            break;
        n -= 8;
    }
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
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
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
    m_bytes.insert(m_bytes.end(), s.begin(), s.end());
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

// Rows as the cursor gave them, column by column, handed from the reading
// thread to the one that builds the columns: the builder then runs one tight
// loop per column instead of deciding the type anew for every cell.
struct Block {
    static constexpr uint32_t kRows = 4096;
    static constexpr uint32_t kNullText = UINT32_MAX;
    struct Column {
        std::string bytes;             // Text, Date: the values one after another
        std::vector<uint32_t> lengths; // Text, Date: per row; kNullText for null
        std::vector<int64_t> ints;     // Integer, Bool: per row
        std::vector<double> reals;     // Single, Double: per row
        std::vector<uint8_t> nulls;    // the others: per row
        uint32_t nullCount = 0;
    };
    std::vector<Column> cols;
    uint32_t rows = 0;

    // Up to kRows rows; false when the cursor has no more.
    bool fill(Cursor &cur, const std::vector<ColType> &types)
    {
        cols.resize(types.size());
        for (Column &col : cols) {
            col.bytes.clear();
            col.lengths.clear();
            col.ints.clear();
            col.reals.clear();
            col.nulls.clear();
            col.nullCount = 0;
        }
        rows = 0;
        while (rows < kRows) {
            if (!cur.next())
                return false;
            for (size_t c = 0; c < types.size(); ++c) {
                const int i = int(c);
                Column &col = cols[c];
                const ColType type = types[c];
                // Dates travel as their text: the builder reads them, which
                // leaves less to do on this side, the slower one.
                if (type == ColType::Text || type == ColType::Date) {
                    std::string_view t;
                    if (cur.text(i, t)) {
                        col.bytes.append(t.data(), t.size());
                        col.lengths.push_back(uint32_t(t.size()));
                    } else {
                        col.lengths.push_back(kNullText);
                    }
                    continue;
                }
                const bool null = cur.isNull(i);
                col.nulls.push_back(null ? 1 : 0);
                col.nullCount += null ? 1 : 0;
                switch (type) {
                case ColType::Text:
                case ColType::Date: break; // above
                case ColType::Single:
                case ColType::Double: col.reals.push_back(null ? 0.0 : cur.real(i)); break;
                case ColType::Integer: col.ints.push_back(null ? 0 : cur.integer(i)); break;
                case ColType::Bool: col.ints.push_back(null ? 0 : (cur.boolean(i) ? 1 : 0)); break;
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

// Appends one block's values of a column to the store; `rows` is the store's
// row count before them, `last` the id of the column's previous text.
void fileColumn(ColumnStore &col, const Block::Column &in, uint32_t count, uint32_t rows, uint32_t &last)
{
    if (col.info.type == ColType::Text) {
        const size_t at = col.ids.size();
        col.ids.resize(at + count);
        uint32_t *out = col.ids.data() + at;
        const char *bytes = in.bytes.data();
        uint32_t id = last;
        for (uint32_t r = 0; r < count; ++r) {
            const uint32_t length = in.lengths[r];
            if (length == Block::kNullText) {
                id = TextDictionary::Null;
            } else {
                id = col.dict.intern(rtrimmed(std::string_view(bytes, length)), id);
                bytes += length;
            }
            out[r] = id;
        }
        last = id;
        return;
    }
    if (col.info.type == ColType::Date) {
        // A text that is no date (written by another program) reads as no value.
        const size_t at = col.ints.size();
        col.ints.resize(at + count);
        int64_t *out = col.ints.data() + at;
        const char *bytes = in.bytes.data();
        uint32_t nulls = 0;
        for (uint32_t r = 0; r < count; ++r) {
            const uint32_t length = in.lengths[r];
            out[r] = 0;
            if (length != Block::kNullText) {
                out[r] = julianDayFromIso(std::string_view(bytes, length));
                bytes += length;
            }
            nulls += out[r] == 0 ? 1 : 0;
        }
        if (nulls == 0 && col.nulls.empty())
            return;
        col.nulls.resize(rows, 0); // the rows before the first null had values
        for (uint32_t r = 0; r < count; ++r)
            col.nulls.push_back(out[r] == 0 ? 1 : 0);
        return;
    }
    if (col.info.type == ColType::Single || col.info.type == ColType::Double)
        col.reals.insert(col.reals.end(), in.reals.begin(), in.reals.end());
    else
        col.ints.insert(col.ints.end(), in.ints.begin(), in.ints.end());
    if (in.nullCount == 0 && col.nulls.empty())
        return;
    col.nulls.resize(rows, 0); // the rows before the first null had values
    col.nulls.insert(col.nulls.end(), in.nulls.begin(), in.nulls.end());
}

// One thread steps through the result while this one files the values
// away: the two halves of the work take about as long as each other.
// Nothing else uses the connection until the read is over.
template <class File> void readOnTwoThreads(Cursor &cur, const std::vector<ColType> &types, File &file)
{
    BlockQueue queue;
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

    while (std::unique_ptr<Block> b = queue.takeFull()) {
        file(*b);
        queue.putEmpty(std::move(b));
    }
}

} // namespace

void Snapshot::read(Cursor &cur, uint32_t expectedRows)
{
    const int n = cur.columnCount();
    cols.clear();
    cols.resize(size_t(n));
    for (int c = 0; c < n; ++c) {
        ColumnStore &col = cols[size_t(c)];
        col.info = cur.column(c);
        // Sized once: growing by doubling copies every value again and again.
        if (col.info.type == ColType::Text)
            col.ids.reserve(expectedRows);
        else if (col.info.type == ColType::Single || col.info.type == ColType::Double)
            col.reals.reserve(expectedRows);
        else
            col.ints.reserve(expectedRows);
    }
    rows = 0;

    std::vector<ColType> types;
    for (const ColumnStore &col : cols)
        types.push_back(col.info.type);
    std::vector<uint32_t> last(size_t(n), TextDictionary::Null);
    auto file = [&](const Block &b) {
        for (int c = 0; c < n; ++c)
            fileColumn(cols[size_t(c)], b.cols[size_t(c)], b.rows, rows, last[size_t(c)]);
        rows += b.rows;
    };
    if (fastPath(FastPath::ReadingThread)) {
        readOnTwoThreads(cur, types, file);
    } else {
        Block b;
        for (bool more = true; more;) {
            more = b.fill(cur, types);
            file(b);
        }
    }
    // Room left over is given back only when it is worth a copy.
    auto fit = [](auto &v) {
        if (v.capacity() - v.size() > v.size() / 8 + 4096)
            v.shrink_to_fit();
    };
    for (ColumnStore &col : cols) {
        fit(col.ids);
        fit(col.reals);
        fit(col.ints);
        fit(col.nulls);
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
