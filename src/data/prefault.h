#pragma once
#include <atomic>
#include <cstddef>
#include <thread>

namespace orv::data {

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

} // namespace orv::data
