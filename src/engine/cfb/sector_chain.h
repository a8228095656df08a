#pragma once
// Following a chain of sectors (or mini sectors) through its table, with
// every step checked: a hostile table can loop, point past its end or past
// the sectors the file holds, and must never make a walk run away.

#include <cstdint>
#include <string>
#include <vector>

namespace engine::cfb
{

// Appends the ids of the chain from `start` to its end marker to `chain`.
// Ids must lie below `limit` (the sectors that exist and the table covers);
// a chain longer than `limit` has looped. False with the reason in `problem`.
bool WalkChain(const std::vector<std::uint32_t> &table, std::uint32_t start, std::uint64_t limit,
               std::vector<std::uint32_t> &chain, std::string &problem);

// Sectors of `size` bytes needed for `bytes` bytes.
inline std::uint64_t SectorsFor(std::uint64_t bytes, std::uint64_t size)
{
    return (bytes + size - 1) / size;
}

} // namespace engine::cfb
