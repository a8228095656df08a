#include "package/block_inflater.h"

#include <zlib.h>

#include <vector>

namespace engine
{
namespace
{

constexpr size_t kTextPiece = 256 * 1024;
constexpr int kRawDeflate = -15;
// zlib's data_type after a Z_BLOCK stop: the unused bits of the last byte
// taken, and whether the stop is at a block boundary.
constexpr int kUnusedBitsMask = 7;
constexpr int kAtBlockBoundary = 128;
constexpr int kInLastBlock = 64;

} // namespace

struct BlockInflater::Stream {
    z_stream z{};
    bool initialised = false;
    std::vector<unsigned char> text = std::vector<unsigned char>(kTextPiece);

    ~Stream()
    {
        if (initialised)
            inflateEnd(&z);
    }
};

BlockInflater::BlockInflater(TextSink text, BlockSink blocks)
    : stream_(std::make_unique<Stream>()), text_(std::move(text)), blocks_(std::move(blocks))
{
    stream_->initialised = inflateInit2(&stream_->z, kRawDeflate) == Z_OK;
}

BlockInflater::~BlockInflater() = default;

bool BlockInflater::Feed(std::string_view compressed)
{
    z_stream &z = stream_->z;
    if (!stream_->initialised || (ended_ && !compressed.empty()))
        return false;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.data()));
    z.avail_in = static_cast<uInt>(compressed.size());
    if (headerPending_ && z.avail_in > 0 && !CompleteHeader(*z.next_in))
        return false;
    // Output may still be pending in zlib after the last input is taken, and
    // the stream's end is only seen by a call after its last block's end.
    bool morePending = false;
    while (!ended_ && (z.avail_in > 0 || morePending)) {
        z.next_out = stream_->text.data();
        z.avail_out = static_cast<uInt>(stream_->text.size());
        const uInt before = z.avail_in;
        const int status = inflate(&z, Z_BLOCK);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            return false;
        if (z.avail_in < before)
            lastByte_ = z.next_in[-1];
        const size_t produced = stream_->text.size() - z.avail_out;
        if (produced > 0 && !text_(std::string_view(
                                reinterpret_cast<const char *>(stream_->text.data()), produced)))
            return false;
        ended_ = status == Z_STREAM_END;
        const bool atBoundary = !ended_ && (z.data_type & kAtBlockBoundary) != 0;
        morePending = z.avail_out == 0 || (atBoundary && produced + (before - z.avail_in) > 0);
        if (atBoundary && !(z.data_type & kInLastBlock) && !NoteBlockStart())
            return false;
        if (before > 0 && z.avail_in == before && produced == 0 && !atBoundary && !ended_)
            return false; // no progress: never loop on damaged data
    }
    return !ended_ || z.avail_in == 0;
}

// The header's three bits start in the unused bits of the last byte taken
// and may run into the next one.
bool BlockInflater::NoteBlockStart()
{
    z_stream &z = stream_->z;
    const unsigned unused = unsigned(z.data_type & kUnusedBitsMask);
    pending_ = BlockStart{z.total_in * 8 - unused, z.total_out, false};
    if (unused >= 3) {
        pending_.stored = ((lastByte_ >> (8 - unused + 1)) & 3) == 0;
        blocks_(pending_);
        return true;
    }
    headerPending_ = true;
    return z.avail_in == 0 || CompleteHeader(*z.next_in);
}

bool BlockInflater::CompleteHeader(unsigned char next)
{
    const unsigned unused = unsigned(pending_.bit % 8 == 0 ? 0 : 8 - pending_.bit % 8);
    const unsigned bits =
        (unused ? unsigned(lastByte_ >> (8 - unused)) : 0u) | (unsigned(next) << unused);
    pending_.stored = ((bits >> 1) & 3) == 0;
    headerPending_ = false;
    blocks_(pending_);
    return true;
}

} // namespace engine
