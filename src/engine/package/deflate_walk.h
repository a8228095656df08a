#pragma once
// Walking a raw deflate stream symbol by symbol without producing its output,
// to find where its compressed bits can be cut and used again: the bits of an
// unchanged stretch of a part need not be compressed a second time.

#include <cstdint>
#include <string_view>

namespace engine
{

// A place between two symbols of a Huffman-coded block.
struct DeflateCut {
    std::uint64_t output = 0;   // uncompressed bytes before it
    std::uint64_t bit = 0;      // compressed bits before it
    std::uint64_t blockBit = 0; // where the header of its block starts
    std::uint64_t dataBit = 0;  // where the first symbol of its block starts
    unsigned blockType = 0;     // 1 fixed codes, 2 dynamic codes
    // The block's end-of-block code, in stream bit order.
    std::uint32_t endOfBlockCode = 0;
    unsigned endOfBlockLength = 0;
};

struct DeflateWalk {
    // The first cut at or after `from` in front of a literal or match, and the
    // last cut after it at or before `to`; stored blocks end the search,
    // since their bytes sit at byte boundaries and cannot move bit-wise.
    bool foundStart = false;
    DeflateCut start;
    bool foundEnd = false;
    DeflateCut end;
    // Filled when the walk reaches the end of the stream.
    bool complete = false;
    std::uint64_t finalBlockBit = 0; // where the header of the last block starts
    std::uint64_t endBit = 0;        // one past the last block
    std::uint64_t output = 0;        // uncompressed size
};

// False for a stream that is not valid deflate data. The walk stops early
// once it has passed `to` with both cuts found.
bool WalkDeflate(std::string_view stream, std::uint64_t from, std::uint64_t to, DeflateWalk &walk);

} // namespace engine
