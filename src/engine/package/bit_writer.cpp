#include "package/bit_writer.h"

#include <algorithm>
#include <cassert>

namespace engine
{

void BitWriter::Append(std::string_view source, std::uint64_t fromBit, std::uint64_t toBit)
{
    Reserve((toBit - fromBit) / 8 + 16);
    // 56 bits at a time from wherever they start, while 8 bytes can be read.
    while (toBit - fromBit >= 56 && fromBit / 8 + 8 <= source.size()) {
        std::uint64_t word;
        std::memcpy(&word, source.data() + fromBit / 8, 8);
        Put(word >> (fromBit % 8), 56);
        fromBit += 56;
    }
    while (fromBit < toBit) {
        const unsigned count = unsigned(std::min<std::uint64_t>(8 - fromBit % 8, toBit - fromBit));
        Put(std::uint64_t(static_cast<unsigned char>(source[fromBit / 8])) >> (fromBit % 8), count);
        fromBit += count;
    }
}

void BitWriter::AppendBytes(std::string_view bytes)
{
    assert(pending_ == 0);
    bytes_.resize(size_);
    bytes_.append(bytes);
    size_ = bytes_.size();
}

std::string BitWriter::Finish()
{
    AlignToByte();
    bytes_.resize(size_);
    size_ = 0;
    buffer_ = 0;
    return std::move(bytes_);
}

} // namespace engine
