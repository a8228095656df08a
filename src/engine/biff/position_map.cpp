#include "biff/position_map.h"

#include <algorithm>

namespace engine
{

PositionMap::PositionMap(const std::vector<StreamEdit> &edits) : edits_(edits)
{
    long long shift = 0;
    for (const StreamEdit &edit : edits) {
        shift += static_cast<long long>(edit.bytes.size()) -
                 static_cast<long long>(edit.end - edit.begin);
        shifts_.push_back(shift);
    }
}

std::optional<size_t> PositionMap::Map(size_t old) const
{
    // Ends ascend as begins do: the edits that lie wholly before `old`, and
    // the inserts at it, are a prefix.
    const auto after =
        std::upper_bound(edits_.begin(), edits_.end(), old,
                         [](size_t at, const StreamEdit &edit) { return at < edit.end; });
    if (after != edits_.end() && after->begin <= old &&
        (after->begin < old || after->bytes.empty()))
        return std::nullopt;
    const size_t before = size_t(after - edits_.begin());
    const long long shift = before == 0 ? 0 : shifts_[before - 1];
    return size_t(static_cast<long long>(old) + shift);
}

bool PositionMap::Touches(size_t begin, size_t end) const
{
    const auto first =
        std::upper_bound(edits_.begin(), edits_.end(), begin,
                         [](size_t at, const StreamEdit &edit) { return at < edit.end; });
    // An insert inside the range splits it; one at its edges is not found here.
    return first != edits_.end() && first->begin < end;
}

} // namespace engine
