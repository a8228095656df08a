#include "deflate_codec.h"

#include <libdeflate.h>
#include <zlib.h>

#include <cstring>
#include <memory>

namespace engine
{
namespace
{

// Compressing the rewritten worksheets is most of an unmerge run's CPU time.
// Level 1 is the fastest: on a 400 KB worksheet 1.6 ms and 98 KB, against
// 2.5 ms and 92 KB at 3 and 5.3 ms and 84 KB at 6 (the part as written by
// libxlsxwriter: 87 KB). A run spends most of its time here, so a changed
// part 10% larger than before is worth a third less compression time.
constexpr int kCompressionLevel = 1;

struct CompressorDeleter {
    void operator()(libdeflate_compressor *compressor) const
    {
        libdeflate_free_compressor(compressor);
    }
};

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor *decompressor) const
    {
        libdeflate_free_decompressor(decompressor);
    }
};

// Each thread's compressor and decompressor (a compressor's tables are
// hundreds of KB) and a compression buffer, allocated once instead of per
// part. The buffer is not cleared first, as a string's would be; one grown
// past kKeptBufferBytes is given back after use.
class Codecs
{
  public:
    static Codecs &OfThread()
    {
        thread_local Codecs codecs;
        return codecs;
    }

    libdeflate_compressor *Compressor() { return compressor_.get(); }
    libdeflate_decompressor *Decompressor() { return decompressor_.get(); }

    char *Buffer(size_t size)
    {
        if (size > capacity_) {
            buffer_.reset(new char[size]);
            capacity_ = size;
        }
        return buffer_.get();
    }

    void TrimBuffer()
    {
        if (capacity_ > kKeptBufferBytes) {
            buffer_.reset();
            capacity_ = 0;
        }
    }

  private:
    static constexpr size_t kKeptBufferBytes = size_t(16) << 20;

    std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor_{
        libdeflate_alloc_compressor(kCompressionLevel)};
    std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor_{
        libdeflate_alloc_decompressor()};
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
};

} // namespace

bool DeflateForZip(std::string_view data, std::string &compressed)
{
    Codecs &codecs = Codecs::OfThread();
    libdeflate_compressor *compressor = codecs.Compressor();
    if (!compressor)
        return false;
    const size_t bound = libdeflate_deflate_compress_bound(compressor, data.size());
    char *buffer = codecs.Buffer(bound);
    const size_t size =
        libdeflate_deflate_compress(compressor, data.data(), data.size(), buffer, bound);
    compressed.assign(buffer, size);
    codecs.TrimBuffer();
    return size != 0 || data.empty();
}

bool InflateExactly(std::string_view compressed, size_t size, std::string &data)
{
    libdeflate_decompressor *decompressor = Codecs::OfThread().Decompressor();
    if (!decompressor)
        return false;
    data.resize(size);
    // Without an "actual size" out-parameter, libdeflate fails unless the
    // output is exactly `size` bytes: an entry that lies about it is refused.
    return libdeflate_deflate_decompress(decompressor, compressed.data(), compressed.size(),
                                         data.data(), size, nullptr) == LIBDEFLATE_SUCCESS;
}

bool InflatesTo(std::string_view compressed, std::string_view expected)
{
    libdeflate_decompressor *decompressor = Codecs::OfThread().Decompressor();
    // Not a string: it would clear the buffer first, a fifth of the time.
    std::unique_ptr<char[]> inflated(new char[expected.size() + 1]);
    return decompressor &&
           libdeflate_deflate_decompress(decompressor, compressed.data(), compressed.size(),
                                         inflated.get(), expected.size(),
                                         nullptr) == LIBDEFLATE_SUCCESS &&
           std::memcmp(inflated.get(), expected.data(), expected.size()) == 0;
}

std::uint32_t Crc32(std::string_view data)
{
    return ContinueCrc32(0, data);
}

std::uint32_t ContinueCrc32(std::uint32_t crc, std::string_view data)
{
    return libdeflate_crc32(crc, data.data(), data.size());
}

std::uint32_t CombineCrc32(std::uint32_t first, std::uint32_t second, std::uint64_t secondSize)
{
    return static_cast<std::uint32_t>(
        crc32_combine(first, second, static_cast<z_off_t>(secondSize)));
}

} // namespace engine
