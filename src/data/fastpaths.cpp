#include "data/fastpaths.h"

#include <atomic>
#include <cstdlib>
#include <string_view>

namespace orv::data {
namespace {

std::atomic<unsigned> &mask()
{
    static std::atomic<unsigned> m{plainPathsFromText(std::getenv("ORV_PLAIN"))};
    return m;
}

} // namespace

unsigned plainPathsFromText(const char *text)
{
    if (!text)
        return 0;
    unsigned m = 0;
    std::string_view rest(text);
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string_view name = rest.substr(0, comma);
        if (name == "all")
            m |= kEveryFastPath;
        else if (name == "prefault")
            m |= unsigned(FastPath::Prefault);
        else if (name == "reader")
            m |= unsigned(FastPath::ReadingThread);
        else if (name == "order")
            m |= unsigned(FastPath::KeyOrder);
        else if (name == "join")
            m |= unsigned(FastPath::JoinInMemory);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return m;
}

bool fastPath(FastPath path) { return (mask().load(std::memory_order_relaxed) & unsigned(path)) == 0; }

unsigned plainPaths() { return mask().load(); }

void setPlainPaths(unsigned m) { mask().store(m); }

} // namespace orv::data
