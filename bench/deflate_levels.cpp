// Sizes and speeds of the deflate choices for the parts a run rewrites,
// against zlib level 6 (what the corpus was written with, and what most
// writers use). Reads the worksheet and style parts of the given packages.
//
//   g++ -O2 -std=c++17 bench/deflate_levels.cpp -o build-bench/deflate_levels
//       $(pkg-config --cflags --libs libzip libdeflate libisal zlib)   (one line)
//   build-bench/deflate_levels OUTPUT.xlsx...
//
// Prints a Markdown table: per part kind and codec, the compressed size as a
// ratio to zlib 6 and the time per input byte (best of a few rounds).

#include <isa-l/igzip_lib.h>
#include <libdeflate.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Compressor = std::function<size_t(const std::string &in, std::string &out)>;

struct Codec {
    std::string name;
    Compressor compress;
};

size_t Zlib(int level, const std::string &in, std::string &out)
{
    z_stream stream{};
    deflateInit2(&stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    out.resize(deflateBound(&stream, in.size()));
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.data()));
    stream.avail_in = static_cast<uInt>(in.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    return stream.total_out;
}

Compressor Libdeflate(int level)
{
    std::shared_ptr<libdeflate_compressor> compressor(libdeflate_alloc_compressor(level),
                                                      libdeflate_free_compressor);
    return [compressor](const std::string &in, std::string &out) {
        out.resize(libdeflate_deflate_compress_bound(compressor.get(), in.size()));
        return libdeflate_deflate_compress(compressor.get(), in.data(), in.size(), out.data(),
                                           out.size());
    };
}

Compressor Isal(int level, std::uint32_t levelBufferBytes)
{
    auto levelBuffer = std::make_shared<std::vector<std::uint8_t>>(levelBufferBytes);
    auto stream = std::make_shared<isal_zstream>();
    return [=](const std::string &in, std::string &out) {
        isal_deflate_init(stream.get());
        stream->level = static_cast<std::uint32_t>(level);
        stream->level_buf = levelBuffer->data();
        stream->level_buf_size = levelBufferBytes;
        stream->end_of_stream = 1;
        out.resize(in.size() + in.size() / 16 + 1024);
        stream->next_in = reinterpret_cast<std::uint8_t *>(const_cast<char *>(in.data()));
        stream->avail_in = static_cast<std::uint32_t>(in.size());
        stream->next_out = reinterpret_cast<std::uint8_t *>(out.data());
        stream->avail_out = static_cast<std::uint32_t>(out.size());
        isal_deflate(stream.get());
        return static_cast<size_t>(stream->total_out);
    };
}

std::vector<Codec> Codecs()
{
    return {
        {"zlib 6", [](const std::string &in, std::string &out) { return Zlib(6, in, out); }},
        {"zlib 1", [](const std::string &in, std::string &out) { return Zlib(1, in, out); }},
        {"ISA-L 1", Isal(1, ISAL_DEF_LVL1_DEFAULT)},
        {"ISA-L 2", Isal(2, ISAL_DEF_LVL2_DEFAULT)},
        {"ISA-L 3", Isal(3, ISAL_DEF_LVL3_DEFAULT)},
        {"ISA-L 3, small buffer", Isal(3, ISAL_DEF_LVL3_MIN)},
        {"libdeflate 1", Libdeflate(1)},
        {"libdeflate 4", Libdeflate(4)},
        {"libdeflate 5", Libdeflate(5)},
        {"libdeflate 6", Libdeflate(6)},
    };
}

// "worksheet" or "styles" by the part's name; empty for parts not measured.
std::string KindOf(const std::string &name)
{
    if (name.rfind("xl/worksheets/sheet", 0) == 0)
        return "worksheet";
    return name == "xl/styles.xml" ? "styles" : std::string();
}

struct Parts {
    std::vector<std::string> texts;
    size_t storedBytes = 0; // compressed, as the package holds them
};

void ReadParts(const char *path, std::map<std::string, Parts> &parts)
{
    zip_t *archive = zip_open(path, ZIP_RDONLY, nullptr);
    if (!archive)
        return;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        const std::string kind =
            zip_stat_index(archive, i, 0, &stat) == 0 ? KindOf(stat.name) : std::string();
        zip_file_t *file = kind.empty() ? nullptr : zip_fopen_index(archive, i, 0);
        if (!file)
            continue;
        std::string data(stat.size, '\0');
        if (zip_fread(file, data.data(), data.size()) == zip_int64_t(data.size())) {
            parts[kind].texts.push_back(std::move(data));
            parts[kind].storedBytes += stat.comp_size;
        }
        zip_fclose(file);
    }
    zip_discard(archive);
}

struct Measure {
    size_t bytesIn = 0;
    size_t bytesOut = 0;
    double seconds = 0;
};

// Best of a few rounds over all the parts, so that a busy machine's
// interruptions count less.
Measure Run(const Codec &codec, const std::vector<std::string> &parts)
{
    Measure best;
    std::string out;
    for (int round = 0; round < 5; ++round) {
        Measure measure;
        const auto start = std::chrono::steady_clock::now();
        for (const std::string &part : parts) {
            measure.bytesIn += part.size();
            measure.bytesOut += codec.compress(part, out);
        }
        measure.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (round == 0 || measure.seconds < best.seconds)
            best = measure;
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    std::map<std::string, Parts> parts;
    for (int i = 1; i < argc; ++i)
        ReadParts(argv[i], parts);
    const std::vector<Codec> codecs = Codecs();
    std::printf("| Part | Codec | Parts | KB in | KB out | Size / zlib 6 | ns / byte |\n"
                "|---|---|---:|---:|---:|---:|---:|\n");
    for (const auto &[kind, found] : parts) {
        const std::vector<std::string> &texts = found.texts;
        const Measure reference = Run(codecs.front(), texts);
        std::printf("| %s | as the packages hold them | %zu | | %zu | %.3f | |\n", kind.c_str(),
                    texts.size(), found.storedBytes / 1024,
                    double(found.storedBytes) / double(reference.bytesOut));
        for (const Codec &codec : codecs) {
            const Measure measure = Run(codec, texts);
            std::printf("| %s | %s | %zu | %zu | %zu | %.3f | %.2f |\n", kind.c_str(),
                        codec.name.c_str(), texts.size(), measure.bytesIn / 1024,
                        measure.bytesOut / 1024,
                        double(measure.bytesOut) / double(reference.bytesOut),
                        measure.seconds * 1e9 / double(measure.bytesIn));
        }
    }
    return 0;
}
