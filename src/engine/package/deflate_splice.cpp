#include "package/deflate_splice.h"

#include "package/bit_writer.h"
#include "package/deflate_codec.h"
#include "package/deflate_joins.h"
#include "package/deflate_walk.h"

#include <cstdint>

namespace engine
{
namespace
{

// How far back a deflate match may reach.
constexpr std::uint64_t kWindow = 32768;

// Compressing a part afresh (ISA-L, level 1) is quicker than walking its
// previous stream and checking the splice, so a splice saves no time: what it
// keeps is the part's own, usually better, compression (ISA-L writes 1.14
// times what zlib 6 does). A transfer of the first 100 of 500 rows re-uses
// about 70% of each worksheet and comes to 1.04 times zlib 6 for a quarter
// more CPU (docs/benchmarks.md); with less re-used, a splice buys too little.
constexpr std::uint64_t kLeastReusedPercent = 60;

// Bytes [from, to) of the previous text, inside `run`.
struct Stretch {
    UnchangedRun run;
    std::uint64_t from = 0;
    std::uint64_t to = 0;
};

bool LongestReusableStretch(const UnchangedRuns &runs, size_t size, Stretch &best)
{
    std::uint64_t bestLength = 0;
    for (const UnchangedRun &run : runs) {
        // Matches in re-used bits may reach a window back; those bytes must
        // be unchanged too, unless the run starts both texts.
        const std::uint64_t window = run.newOffset == 0 && run.originalOffset == 0 ? 0 : kWindow;
        if (run.length <= window || run.newOffset + run.length > size)
            continue;
        const Stretch stretch{run, run.originalOffset + window, run.originalOffset + run.length};
        if (stretch.to - stretch.from > bestLength) {
            bestLength = stretch.to - stretch.from;
            best = stretch;
        }
    }
    return bestLength * 100 >= kLeastReusedPercent * size && bestLength > 0;
}

// The previous stream's bits between the two cuts, as one or more blocks
// that are not the last.
void PutReused(std::string_view previous, const DeflateWalk &walk, BitWriter &out)
{
    const DeflateCut &start = walk.start;
    const DeflateCut &end = walk.end;
    out.Put(0, 1);
    out.Put(start.blockType, 2);
    out.Append(previous, start.blockBit + 3, start.dataBit); // the block's code tables
    if (walk.finalBlockBit > start.bit && walk.finalBlockBit < end.bit) {
        out.Append(previous, start.bit, walk.finalBlockBit);
        out.Put(0, 1);
        out.Append(previous, walk.finalBlockBit + 1, end.bit);
    } else {
        out.Append(previous, start.bit, end.bit);
    }
    out.Put(end.endOfBlockCode, end.endOfBlockLength);
}

bool PutTail(std::string_view tail, BitWriter &out)
{
    DeflatedBits last;
    if (tail.empty()) {
        out.Put(1, 1); // the last block: fixed codes, nothing but end-of-block
        out.Put(1, 2);
        out.Put(0, 7);
    } else if (DeflateAsLastBlocks(tail, last)) {
        out.Append(last.bytes, 0, last.bits);
    } else {
        return false;
    }
    return true;
}

bool Splice(std::string_view data, std::string_view previous, const UnchangedRuns &runs,
            std::string &compressed)
{
    Stretch stretch;
    DeflateWalk walk;
    if (!LongestReusableStretch(runs, data.size(), stretch) ||
        !WalkDeflate(previous, stretch.from, stretch.to, walk) || !walk.foundStart ||
        !walk.foundEnd || walk.end.output <= walk.start.output)
        return false;
    const size_t begin = stretch.run.newOffset + (walk.start.output - stretch.run.originalOffset);
    const size_t end = stretch.run.newOffset + (walk.end.output - stretch.run.originalOffset);
    BitWriter out;
    DeflatedBits head;
    if (begin > 0 && !DeflateAsOpenBlocks(data.substr(0, begin), head))
        return false;
    out.Append(head.bytes, 0, head.bits);
    PutReused(previous, walk, out);
    if (!PutTail(data.substr(end), out))
        return false;
    std::string spliced = out.Finish();
    // Cheap next to compressing the whole part, and a fault in the splice
    // must never reach a workbook.
    if (!InflatesTo(spliced, data))
        return false;
    compressed = std::move(spliced);
    return true;
}

} // namespace

bool MayReuse(const UnchangedRuns &runs, size_t size)
{
    Stretch stretch;
    return LongestReusableStretch(runs, size, stretch);
}

bool DeflateReusing(std::string_view data, std::string_view previous, const UnchangedRuns &runs,
                    std::string &compressed)
{
    return Splice(data, previous, runs, compressed) || DeflateForZip(data, compressed);
}

} // namespace engine
