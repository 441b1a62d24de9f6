#include "data/prefault.h"
#include "data/fastpaths.h"

#include <algorithm>
#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace orv::data {

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
