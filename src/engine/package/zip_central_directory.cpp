#include "package/zip_central_directory.h"

#include "package/platform_calls.h"

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
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kLocalHeaderSize = 30;
// Bit 0: encrypted; bit 6: strong encryption.
constexpr std::uint16_t kEncryptionFlags = 1u | (1u << 6);
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
        records.push_back(CentralRecord{
            std::string(directory.substr(at + kHeaderSize, nameSize)), Read16(directory, at + 4),
            Read16(directory, at + 6), Read16(directory, at + 8), Read16(directory, at + 12),
            Read16(directory, at + 14), Read16(directory, at + 36), Read16(directory, at + 10),
            Read32(directory, at + 16), Read32(directory, at + 20), Read32(directory, at + 24),
            Read32(directory, at + 42)});
        at += recordSize;
    }
    return true;
}

bool ReadRecords(std::FILE *file, DirectoryLocation &location, std::vector<CentralRecord> &records)
{
    std::string directory;
    if (FindDirectory(file, location) &&
        ReadAt(file, static_cast<long>(location.offset), location.size, directory) &&
        ParseRecords(directory, location.entries, records))
        return true;
    records.clear();
    return false;
}

// A field the local header may leave as zero (a data descriptor follows) or
// state; stated, it must be the directory's.
bool Agrees(std::uint32_t local, std::uint32_t central)
{
    return local == 0 || local == central;
}

// Why the entry's local header makes its data ambiguous; empty when only
// fields that reading by the directory ignores differ.
std::string Conflict(std::FILE *file, const CentralRecord &record, std::uint32_t directoryStart)
{
    std::string header;
    if (!ReadAt(file, static_cast<long>(record.localOffset), kLocalHeaderSize, header) ||
        Read32(header, 0) != kLocalSignature)
        return "no local header for " + record.name;
    std::string localName;
    const size_t nameSize = Read16(header, 26);
    const std::uint64_t dataStart =
        std::uint64_t(record.localOffset) + kLocalHeaderSize + nameSize + Read16(header, 28);
    if (!ReadAt(file, static_cast<long>(record.localOffset + kLocalHeaderSize), nameSize,
                localName) ||
        WithForwardSlashes(localName) != WithForwardSlashes(record.name))
        return "the headers of " + record.name + " disagree on its name";
    if ((Read16(header, 6) ^ record.flags) & kEncryptionFlags)
        return "the headers of " + record.name + " disagree on its encryption";
    if (Read16(header, 8) != record.method)
        return "the headers of " + record.name + " disagree on its compression";
    if (!Agrees(Read32(header, 14), record.crc) ||
        !Agrees(Read32(header, 18), record.compressedSize) ||
        !Agrees(Read32(header, 22), record.size))
        return "the headers of " + record.name + " disagree on its size or checksum";
    if (dataStart + record.compressedSize > directoryStart)
        return "the data of " + record.name + " overlaps the directory";
    return std::string();
}

} // namespace

bool ReadCentralRecords(const std::string &path, std::vector<CentralRecord> &records)
{
    records.clear();
    std::unique_ptr<std::FILE, FileCloser> file(OpenFile(path, "rb"));
    DirectoryLocation location;
    return file && ReadRecords(file.get(), location, records);
}

std::string LocalHeaderConflict(const std::string &path)
{
    std::unique_ptr<std::FILE, FileCloser> file(OpenFile(path, "rb"));
    DirectoryLocation location;
    std::vector<CentralRecord> records;
    if (!file || !ReadRecords(file.get(), location, records))
        return "its central directory cannot be read";
    for (const CentralRecord &record : records) {
        std::string conflict = Conflict(file.get(), record, location.offset);
        if (!conflict.empty())
            return conflict;
    }
    return std::string();
}

std::string WithForwardSlashes(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

} // namespace engine
