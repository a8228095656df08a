#include "package/deflate_codec.h"

#include <isa-l/igzip_lib.h>
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace engine
{
namespace
{

// Compressing the rewritten worksheets is most of a run's CPU time. ISA-L at
// level 1 is the fastest deflate at hand: a 400 KB worksheet takes 0.8 ms and
// comes to 100 KB, against 1.4 ms and 98 KB with libdeflate at level 1 and
// 5.2 ms and 84 KB at 6 (the part as written by libxlsxwriter: 87 KB).
constexpr int kCompressionLevel = 1;
constexpr std::uint32_t kLevelBufferBytes = ISAL_DEF_LVL1_DEFAULT;
// The stream counts its input and output in 32 bits; pieces of 64 MiB keep
// well inside that, and bigger ones would save nothing.
constexpr size_t kLargestFeed = size_t(64) << 20;

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor *decompressor) const
    {
        libdeflate_free_decompressor(decompressor);
    }
};

// Each thread's compressor and decompressor (their state and tables are
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

    // A compression stream, ready for new input.
    isal_zstream *Compressor()
    {
        if (!compressor_) {
            compressor_ = std::make_unique<isal_zstream>();
            levelBuffer_ = std::make_unique<std::uint8_t[]>(kLevelBufferBytes);
        }
        isal_deflate_init(compressor_.get());
        compressor_->level = kCompressionLevel;
        compressor_->level_buf = levelBuffer_.get();
        compressor_->level_buf_size = kLevelBufferBytes;
        return compressor_.get();
    }
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

    std::unique_ptr<isal_zstream> compressor_;
    std::unique_ptr<std::uint8_t[]> levelBuffer_;
    std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor_{
        libdeflate_alloc_decompressor()};
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
};

// Deflate output is at most its input in stored blocks of up to 65,535 bytes,
// five bytes of header each, after the longest block header.
size_t CompressBound(size_t size)
{
    return size + (size / 65535 + 1) * 5 + ISAL_DEF_MAX_HDR_SIZE;
}

// Feeds `data` through `stream` into `out`, which holds `capacity` bytes;
// `written` is how many it took.
bool Compress(isal_zstream &stream, std::string_view data, char *out, size_t capacity,
              size_t &written)
{
    auto *const start = reinterpret_cast<std::uint8_t *>(out);
    stream.next_out = start;
    size_t fed = 0;
    do {
        const size_t feed = std::min(data.size() - fed, kLargestFeed);
        stream.next_in = reinterpret_cast<std::uint8_t *>(const_cast<char *>(data.data() + fed));
        stream.avail_in = static_cast<std::uint32_t>(feed);
        fed += feed;
        stream.end_of_stream = fed == data.size() ? 1 : 0;
        while (stream.avail_in > 0 ||
               (stream.end_of_stream && stream.internal_state.state != ZSTATE_END)) {
            written = static_cast<size_t>(stream.next_out - start);
            stream.avail_out =
                static_cast<std::uint32_t>(std::min(capacity - written, kLargestFeed));
            if (stream.avail_out == 0 || isal_deflate(&stream) != COMP_OK)
                return false;
        }
    } while (fed < data.size());
    written = static_cast<size_t>(stream.next_out - start);
    return true;
}

} // namespace

bool DeflateForZip(std::string_view data, std::string &compressed)
{
    Codecs &codecs = Codecs::OfThread();
    isal_zstream *stream = codecs.Compressor();
    const size_t capacity = CompressBound(data.size());
    char *buffer = codecs.Buffer(capacity);
    size_t written = 0;
    if (!Compress(*stream, data, buffer, capacity, written))
        return false;
    compressed.assign(buffer, written);
    codecs.TrimBuffer();
    return true;
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
