#pragma once

namespace orv::data {

// The four ways a million training-plan rows are read, sorted and printed
// quickly. Each has a plain way beside it that gives the same rows and text,
// so that its gain can be measured and a workstation where one misbehaves can
// do without it: ORV_PLAIN names those to leave out, separated by commas
// ("prefault,reader,order,join" or "all"), read once at start.
enum class FastPath : unsigned {
    Prefault = 1,      // a report's fresh text paged in on a second thread
    ReadingThread = 2, // one thread steps through the rows, another files them
    KeyOrder = 4,      // German order by byte keys, the collator only for ties
    JoinInMemory = 8,  // a list's tables read one by one and joined by key (the file database)
};
inline constexpr unsigned kEveryFastPath = 15;

bool fastPath(FastPath path);

// The paths left out, as a mask of FastPath values: for the benchmark and the
// tests that compare both ways in one run.
unsigned plainPaths();
void setPlainPaths(unsigned mask);

// "prefault,order" → the mask; unknown names are ignored.
unsigned plainPathsFromText(const char *text);

} // namespace orv::data
