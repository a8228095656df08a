#pragma once
// Where a rewritten text still holds bytes of the text it was made from, so
// that work done on those bytes before (their compressed form) can be used
// again.

#include <cstddef>
#include <vector>

namespace engine
{

struct UnchangedRun {
    size_t newOffset = 0;
    size_t originalOffset = 0;
    size_t length = 0;
};

using UnchangedRuns = std::vector<UnchangedRun>;

// Follows `runs` (from a text B into a text A) through `earlier` (from A
// into a text before it): where B still holds bytes of that first text.
UnchangedRuns Traced(const UnchangedRuns &runs, const UnchangedRuns &earlier);

} // namespace engine
