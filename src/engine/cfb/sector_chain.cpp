#include "cfb/sector_chain.h"

#include "cfb/cfb_format.h"

#include <algorithm>

namespace engine::cfb
{

bool WalkChain(const std::vector<std::uint32_t> &table, std::uint32_t start, std::uint64_t limit,
               std::vector<std::uint32_t> &chain, std::string &problem)
{
    limit = std::min<std::uint64_t>(limit, table.size());
    const size_t first = chain.size();
    for (std::uint32_t id = start; id != kEndOfChain; id = table[id]) {
        if (id >= limit) {
            problem = id > kMaxRegularSector ? "a chain ends without its end marker"
                                             : "a chain points past the end of the file";
            return false;
        }
        if (chain.size() - first >= limit) {
            problem = "a chain loops";
            return false;
        }
        chain.push_back(id);
    }
    return true;
}

} // namespace engine::cfb
