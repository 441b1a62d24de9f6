#include "data/bulkmemory.h"
#include "data/fastpaths.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace orv::data {
namespace {

constexpr std::size_t kLargePage = std::size_t(2) << 20;
std::atomic<std::size_t> g_bulkBytes{0};

#ifdef MADV_HUGEPAGE
constexpr std::size_t kBulk = kLargePage; // smaller blocks: the heap

std::size_t roundedUp(std::size_t bytes) { return (bytes + kLargePage - 1) & ~(kLargePage - 1); }
#endif

} // namespace

void *allocateBulk(std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
    if (bytes >= kBulk) {
        const std::size_t size = roundedUp(bytes);
        g_bulkBytes += size;
        if (!fastPath(FastPath::LargePages)) {
            void *plain = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (plain == MAP_FAILED) {
                g_bulkBytes -= size;
                throw std::bad_alloc();
            }
            return plain;
        }
        // Mapped with a big page's worth to spare, then trimmed to start on a
        // big page: an unaligned block would keep its edges in small pages.
        void *raw = mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED) {
            g_bulkBytes -= size;
            throw std::bad_alloc();
        }
        const auto start = reinterpret_cast<std::uintptr_t>(raw);
        const auto aligned = (start + kLargePage - 1) & ~std::uintptr_t(kLargePage - 1);
        if (aligned > start)
            munmap(raw, aligned - start);
        if (const std::size_t tail = start + kLargePage - aligned)
            munmap(reinterpret_cast<void *>(aligned + size), tail);
        madvise(reinterpret_cast<void *>(aligned), size, MADV_HUGEPAGE); // advice only: failure is harmless
        return reinterpret_cast<void *>(aligned);
    }
#endif
    return ::operator new(bytes);
}

void freeBulk(void *data, std::size_t bytes) noexcept
{
#ifdef MADV_HUGEPAGE
    if (bytes >= kBulk) {
        munmap(data, roundedUp(bytes));
        g_bulkBytes -= roundedUp(bytes);
        return;
    }
#endif
    ::operator delete(data);
}

std::size_t bulkBytesInUse() { return g_bulkBytes; }

void preferLargePages(const void *data, std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
    if (!fastPath(FastPath::LargePages))
        return;
    // Only whole big pages inside the block: the advice must not reach
    // memory that belongs to something else.
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLargePage - 1) & ~std::uintptr_t(kLargePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~std::uintptr_t(kLargePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

Prefault::Prefault(void *data, std::size_t bytes)
{
#ifdef MADV_POPULATE_WRITE
    constexpr std::size_t kWorth = std::size_t(32) << 20; // below this the writer is as quick
    static constexpr std::uintptr_t kStep = std::uintptr_t(8) << 20;
    constexpr std::uintptr_t kPage = 4096;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kPage - 1);
    if (end <= begin || end - begin < kWorth || !fastPath(FastPath::Prefault))
        return;
    m_thread = std::thread([this, begin, end] {
        for (std::uintptr_t at = begin; at < end && !m_stop; at += kStep) {
            // Older systems do not know the advice: then the writer faults the pages in itself.
            if (madvise(reinterpret_cast<void *>(at), std::min<std::uintptr_t>(kStep, end - at), MADV_POPULATE_WRITE)
                != 0)
                return;
        }
    });
#else
    (void)data;
    (void)bytes;
#endif
}

Prefault::~Prefault()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace orv::data
