#pragma once
// Inflating a raw deflate stream piece by piece, noting where each of its
// blocks starts, in the compressed bits and in the text. A block that starts
// a window's length after a stretch of text begins, and ends before the
// stretch does, can later be written again bit for bit.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace engine
{

struct BlockStart {
    std::uint64_t bit = 0;    // compressed bits before the block's header
    std::uint64_t output = 0; // text bytes before its first byte
    // Stored blocks align their bytes to the stream's bytes, so their bits
    // cannot be moved by other than whole bytes.
    bool stored = false;
};

// How far back a deflate match may reach.
constexpr std::uint64_t kDeflateWindow = 32768;

class BlockInflater
{
  public:
    // Text comes out in stream order, each block start after the text
    // before it; a sink returns false to stop the inflate.
    using TextSink = std::function<bool(std::string_view text)>;
    using BlockSink = std::function<void(const BlockStart &start)>;

    BlockInflater(TextSink text, BlockSink blocks);
    ~BlockInflater();
    BlockInflater(const BlockInflater &) = delete;
    BlockInflater &operator=(const BlockInflater &) = delete;

    // The next compressed bytes; false for data that is not deflate, bytes
    // after the end of the stream, or a sink that stopped.
    bool Feed(std::string_view compressed);
    bool Ended() const { return ended_; }

  private:
    struct Stream;

    bool NoteBlockStart();
    bool CompleteHeader(unsigned char next);

    std::unique_ptr<Stream> stream_;
    TextSink text_;
    BlockSink blocks_;
    unsigned char lastByte_ = 0; // the last compressed byte zlib has taken
    // A block start whose header bits run into bytes not yet fed.
    bool headerPending_ = false;
    BlockStart pending_;
    bool ended_ = false;
};

} // namespace engine
