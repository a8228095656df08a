#include "sheet/hole_writer.h"

#include "package/bit_writer.h"
#include "package/block_inflater.h"
#include "package/deflate_codec.h"
#include "package/deflate_joins.h"

#include <algorithm>
#include <string>

namespace engine
{
namespace
{

// Whole bytes go on to the package once this many have gathered.
constexpr std::uint64_t kDrainBytes = std::uint64_t(1) << 20;

// The text a held part stands for, as pieces around the hole.
struct HeldText {
    std::string_view before; // up to the hole's place
    std::string_view after;
    const SheetHole &hole;

    std::uint64_t HoleSize() const { return hole.end - hole.begin; }
    std::uint64_t Size() const { return before.size() + HoleSize() + after.size(); }
    std::uint32_t Crc() const
    {
        const std::uint32_t upToAfter = CombineCrc32(Crc32(before), hole.crc, HoleSize());
        return CombineCrc32(upToAfter, Crc32(after), after.size());
    }
};

// The stream as three pieces, each joined to the next at whatever bit it
// ends: the blocks before the copied bits, the bits, and the last blocks.
class HoledStream
{
  public:
    HoledStream(const ZipReader &source, int index, const HeldText &text)
        : source_(source), index_(index), text_(text)
    {
    }

    bool Compress()
    {
        return DeflateAsOpenBlocks(std::string(text_.before) + text_.hole.lead, first_) &&
               DeflateAsLastBlocks(text_.hole.trail + std::string(text_.after), last_);
    }

    std::uint64_t CompressedSize() const
    {
        return (first_.bits + CopiedBits() + last_.bits + 7) / 8;
    }

    bool Write(const ByteSink &sink, Error &error) const
    {
        BitWriter out;
        out.Append(first_.bytes, 0, first_.bits);
        if (!CopyBits(out, sink, error))
            return false;
        out.Append(last_.bytes, 0, last_.bits);
        out.AlignToByte();
        return out.Drain(sink);
    }

  private:
    std::uint64_t CopiedBits() const { return text_.hole.toBit - text_.hole.fromBit; }

    // The stored entry's bits between the hole's lead and trail.
    bool CopyBits(BitWriter &out, const ByteSink &sink, Error &error) const
    {
        const std::uint64_t from = text_.hole.fromBit;
        const std::uint64_t to = text_.hole.toBit;
        std::uint64_t chunkBit = 0;
        const ByteSink copy = [&](const char *data, size_t size) {
            const std::uint64_t chunkEnd = chunkBit + std::uint64_t(size) * 8;
            const std::uint64_t begin = std::max(from, chunkBit);
            const std::uint64_t end = std::min(to, chunkEnd);
            if (begin < end)
                out.Append(std::string_view(data, size), begin - chunkBit, end - chunkBit);
            chunkBit = chunkEnd;
            return out.WholeBytes() < kDrainBytes || out.Drain(sink);
        };
        return source_.CopyCompressed(index_, copy, error) && chunkBit >= to;
    }

    const ZipReader &source_;
    int index_;
    const HeldText &text_;
    DeflatedBits first_;
    DeflatedBits last_;
};

// Inflates what is written and compares it with the text it must give.
class WrittenCheck
{
  public:
    WrittenCheck()
        : inflater_(
              [this](std::string_view text) {
                  crc_ = ContinueCrc32(crc_, text);
                  size_ += text.size();
                  return true;
              },
              [](const BlockStart &) {})
    {
    }

    bool Feed(std::string_view compressed) { return inflater_.Feed(compressed); }
    bool Gave(std::uint64_t size, std::uint32_t crc) const
    {
        return inflater_.Ended() && size_ == size && crc_ == crc;
    }

  private:
    std::uint32_t crc_ = 0;
    std::uint64_t size_ = 0;
    BlockInflater inflater_;
};

} // namespace

bool WriteAroundHole(ZipWriter &writer, const ZipReader &source, int index, std::string_view shell,
                     const SheetHole &hole, Error &error)
{
    const ZipEntry &entry = source.Entries()[static_cast<size_t>(index)];
    size_t place = 0;
    if (!FindRowsEnd(shell, place, error))
        return false;
    const HeldText text{shell.substr(0, place), shell.substr(place), hole};
    HoledStream stream(source, index, text);
    if (!stream.Compress()) {
        error.Set(ErrorCode::LimitExceeded, "out of memory while compressing " + entry.name);
        return false;
    }
    const std::uint32_t crc = text.Crc();
    const std::string misfit =
        "internal error: " + entry.name + " would not have read back as it was";
    WrittenCheck check;
    const auto writeBody = [&](const ByteSink &sink) {
        const ByteSink checked = [&](const char *data, size_t size) {
            if (check.Feed(std::string_view(data, size)))
                return sink(data, size);
            error.Set(ErrorCode::Unsupported, misfit);
            return false;
        };
        if (!stream.Write(checked, error))
            return false;
        if (check.Gave(text.Size(), crc))
            return true;
        error.Set(ErrorCode::Unsupported, misfit);
        return false;
    };
    const ZipEntry changed = DeflatedEntry(entry, crc, text.Size(), stream.CompressedSize());
    return writer.AddStreamed(changed, writeBody, error);
}

} // namespace engine
