#pragma once
// Writing a bit stream least significant bit first, as deflate packs it,
// including stretches of bits taken from another stream at any bit offset.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace engine
{

// Words are moved with memcpy in the stream's own byte order.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian hosts only");

class BitWriter
{
  public:
    // Up to 56 bits of `value`.
    void Put(std::uint64_t value, unsigned count)
    {
        Reserve(8);
        buffer_ |= (value & ((std::uint64_t(1) << count) - 1)) << pending_;
        pending_ += count;
        // All eight bytes are stored; only the whole ones count as written.
        std::memcpy(&bytes_[size_], &buffer_, 8);
        size_ += pending_ / 8;
        buffer_ >>= pending_ & ~7u;
        pending_ %= 8;
    }
    // Bits [fromBit, toBit) of `source`.
    void Append(std::string_view source, std::uint64_t fromBit, std::uint64_t toBit);
    // Zero bits up to the next byte boundary.
    void AlignToByte() { Put(0, (8 - pending_) % 8); }
    // Whole bytes, at a byte boundary only.
    void AppendBytes(std::string_view bytes);
    // The bytes written, the last one padded with zero bits.
    std::string Finish();
    // For a stream too long to hold: the whole bytes written so far, handed
    // to `sink` and forgotten; the bits of a byte not yet whole stay.
    template <typename Sink> bool Drain(const Sink &sink)
    {
        const bool taken = sink(bytes_.data(), size_);
        size_ = 0;
        return taken;
    }
    std::uint64_t WholeBytes() const { return size_; }

  private:
    void Reserve(size_t bytes)
    {
        if (size_ + bytes > bytes_.size())
            bytes_.resize(std::max(bytes_.size() * 2, size_ + bytes + 4096));
    }

    std::string bytes_; // grown ahead; size_ bytes used
    size_t size_ = 0;
    std::uint64_t buffer_ = 0;
    unsigned pending_ = 0; // bits in buffer_, fewer than 8 between calls
};

} // namespace engine
