#include "package/unchanged_runs.h"

#include <algorithm>

namespace engine
{

UnchangedRuns Traced(const UnchangedRuns &runs, const UnchangedRuns &earlier)
{
    UnchangedRuns traced;
    for (const UnchangedRun &run : runs) {
        const size_t begin = run.originalOffset;
        const size_t end = begin + run.length;
        // Runs are ordered by their offset in the text they describe.
        auto next = std::upper_bound(
            earlier.begin(), earlier.end(), begin,
            [](size_t offset, const UnchangedRun &other) { return offset < other.newOffset; });
        if (next != earlier.begin())
            --next;
        for (; next != earlier.end() && next->newOffset < end; ++next) {
            const size_t from = std::max(begin, next->newOffset);
            const size_t to = std::min(end, next->newOffset + next->length);
            if (from < to)
                traced.push_back(UnchangedRun{run.newOffset + (from - begin),
                                              next->originalOffset + (from - next->newOffset),
                                              to - from});
        }
    }
    return traced;
}

} // namespace engine
