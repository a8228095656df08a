#pragma once
// Joining deflate streams into one at any bit: the blocks of a fresh stream
// as the first ones, bits taken from another stream, and a fresh stream as
// the last ones. Nothing is aligned to bytes between them, so no stored block
// comes between: moving a stored block by other than whole bytes breaks it,
// and a later save may want to move these bits again.

#include <cstdint>
#include <string>
#include <string_view>

namespace engine
{

struct DeflatedBits {
    std::string bytes;
    std::uint64_t bits = 0; // how many bits of `bytes` the blocks fill
};

// `text` compressed as blocks none of which is marked the last.
bool DeflateAsOpenBlocks(std::string_view text, DeflatedBits &out);
// `text` compressed as a stream's last blocks.
bool DeflateAsLastBlocks(std::string_view text, DeflatedBits &out);

} // namespace engine
