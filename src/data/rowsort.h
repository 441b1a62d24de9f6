#pragma once
#include "data/snapshot.h"

#include <cstdint>
#include <vector>

namespace orv::data {

// Puts `order` (row numbers of `snap`) in the order of the given columns:
// texts in German order, numbers and dates by value, empty values first;
// rows equal in every column by their row number, as the query gave them.
void sortRows(Snapshot &snap, std::vector<uint32_t> &order, const std::vector<int> &columns);

} // namespace orv::data
