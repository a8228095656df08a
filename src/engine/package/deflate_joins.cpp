#include "package/deflate_joins.h"

#include "package/deflate_codec.h"
#include "package/deflate_walk.h"

#include <limits>

namespace engine
{
namespace
{

bool DeflateAndWalk(std::string_view text, DeflatedBits &out, DeflateWalk &walk)
{
    const std::uint64_t never = std::numeric_limits<std::uint64_t>::max();
    if (!DeflateForZip(text, out.bytes) || !WalkDeflate(out.bytes, never, 0, walk) ||
        !walk.complete)
        return false;
    out.bits = walk.endBit;
    return true;
}

} // namespace

bool DeflateAsOpenBlocks(std::string_view text, DeflatedBits &out)
{
    DeflateWalk walk;
    if (!DeflateAndWalk(text, out, walk))
        return false;
    // The last block's first bit says it is the last.
    out.bytes[walk.finalBlockBit / 8] &= static_cast<char>(~(1u << (walk.finalBlockBit % 8)));
    return true;
}

bool DeflateAsLastBlocks(std::string_view text, DeflatedBits &out)
{
    DeflateWalk walk;
    return DeflateAndWalk(text, out, walk);
}

} // namespace engine
