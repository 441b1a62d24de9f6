#pragma once
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace orv::data {

// Memory for large arrays of plain values: the columns of a million rows,
// their sort keys. Blocks of a few megabytes and more come straight from the
// system in big pages where it offers them: filling fresh memory page by
// page of four kilobytes costs more than writing the values into it. Smaller
// blocks come from the ordinary heap.
void *allocateBulk(std::size_t bytes);
void freeBulk(void *data, std::size_t bytes) noexcept;
std::size_t bulkBytesInUse(); // the big blocks' share, which the heap does not count

// Asks for big pages for the untouched interior of a large block that came
// from elsewhere (a report text); does nothing for small blocks.
void preferLargePages(const void *data, std::size_t bytes);

// Gets the pages of a large fresh block from the system on a second thread
// while the caller fills the block from the front: at hundreds of megabytes,
// that takes about as long as writing a report's text into them. The contents
// are not touched. Stops early and waits when destroyed.
class Prefault {
public:
    Prefault(void *data, std::size_t bytes);
    ~Prefault();
    Prefault(const Prefault &) = delete;
    Prefault &operator=(const Prefault &) = delete;

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

template <class T> struct BulkAllocator {
    using value_type = T;
    BulkAllocator() = default;
    template <class U> BulkAllocator(const BulkAllocator<U> &) noexcept {}
    T *allocate(std::size_t n) { return static_cast<T *>(allocateBulk(n * sizeof(T))); }
    void deallocate(T *p, std::size_t n) noexcept { freeBulk(p, n * sizeof(T)); }
    friend bool operator==(const BulkAllocator &, const BulkAllocator &) { return true; }
};

template <class T> using BulkVector = std::vector<T, BulkAllocator<T>>;

} // namespace orv::data
