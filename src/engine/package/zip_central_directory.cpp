#include "package/zip_central_directory.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>

namespace engine
{
namespace
{

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kHeaderSignature = 0x02014b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kHeaderSize = 46;
constexpr long kMaxTail = kEndRecordSize + 0xffff; // end record plus the longest comment
constexpr std::uint32_t kMaxDirectorySize = 64u << 20;

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

std::uint16_t Read16(std::string_view bytes, size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

std::uint32_t Read32(std::string_view bytes, size_t at)
{
    return Read16(bytes, at) | (static_cast<std::uint32_t>(Read16(bytes, at + 2)) << 16);
}

bool ReadAt(std::FILE *file, long offset, size_t size, std::string &bytes)
{
    bytes.resize(size);
    return std::fseek(file, offset, SEEK_SET) == 0 &&
           std::fread(bytes.data(), 1, size, file) == size;
}

// The end-of-central-directory record: where the directory starts, its size
// and its number of entries.
struct DirectoryLocation {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint16_t entries = 0;
};

bool FindDirectory(std::FILE *file, DirectoryLocation &location)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return false;
    const long fileSize = std::ftell(file);
    const long tailSize = std::min(fileSize, kMaxTail);
    std::string tail;
    if (tailSize < static_cast<long>(kEndRecordSize) ||
        !ReadAt(file, fileSize - tailSize, static_cast<size_t>(tailSize), tail))
        return false;
    for (size_t at = tail.size() - kEndRecordSize + 1; at-- > 0;) {
        if (Read32(tail, at) != kEndSignature)
            continue;
        location.entries = Read16(tail, at + 10);
        location.size = Read32(tail, at + 12);
        location.offset = Read32(tail, at + 16);
        // All-ones values mean the real ones are in zip64 records.
        return location.entries != 0xffff && location.offset != 0xffffffff &&
               location.size <= kMaxDirectorySize;
    }
    return false;
}

bool ParseRecords(std::string_view directory, size_t count, std::vector<CentralRecord> &records)
{
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        if (at + kHeaderSize > directory.size() || Read32(directory, at) != kHeaderSignature)
            return false;
        const size_t nameSize = Read16(directory, at + 28);
        const size_t recordSize =
            kHeaderSize + nameSize + Read16(directory, at + 30) + Read16(directory, at + 32);
        if (at + recordSize > directory.size())
            return false;
        records.push_back(CentralRecord{std::string(directory.substr(at + kHeaderSize, nameSize)),
                                        Read16(directory, at + 4), Read16(directory, at + 6),
                                        Read16(directory, at + 8), Read16(directory, at + 12),
                                        Read16(directory, at + 14), Read16(directory, at + 36)});
        at += recordSize;
    }
    return true;
}

} // namespace

bool ReadCentralRecords(const std::string &path, std::vector<CentralRecord> &records)
{
    records.clear();
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    DirectoryLocation location;
    std::string directory;
    if (!file || !FindDirectory(file.get(), location) ||
        !ReadAt(file.get(), static_cast<long>(location.offset), location.size, directory))
        return false;
    if (ParseRecords(directory, location.entries, records))
        return true;
    records.clear();
    return false;
}

} // namespace engine
