#pragma once
// Compound files written from scratch for the tests and the fuzzers' seeds:
// version 3 or 4, any number of root streams (big ones in the FAT, small
// ones in the mini stream), DIFAT sectors when the FAT needs them. Every
// entry gets its own CLSID, state bits and times so that changes show.
// Plain C++, no Qt.

#include <cstdint>
#include <string>
#include <vector>

namespace testcfb
{

struct Stream {
    std::string name; // ASCII
    std::string content;
};

struct CompoundShape {
    int version = 3; // 3: 512-byte sectors, 4: 4096-byte sectors
    std::vector<Stream> streams;
    int unusedEntries = 0; // empty directory slots after the streams
    std::string trailing;  // bytes after the last sector
    int freeSectors = 0;   // free sectors between the streams and the tables
};

std::string BuildCompoundFile(const CompoundShape &shape);

// Content of `size` bytes that differs with `seed`.
std::string Filler(size_t size, int seed);

// Little-endian fields, for tests that damage a built file on purpose.
std::uint32_t GetU32(const std::string &bytes, size_t at);
void PutU32(std::string &bytes, size_t at, std::uint32_t value);

// Where the built file keeps its parts, in sectors.
struct BuiltLayout {
    size_t sectorSize = 512;
    std::uint32_t directory = 0; // first directory sector
    std::uint32_t firstFat = 0;  // first FAT sector
    size_t Offset(std::uint32_t sector) const { return (sector + 1) * sectorSize; }
    size_t EntryOffset(int entry) const { return Offset(directory) + 128 * entry; }
    size_t FatEntryOffset(std::uint32_t sector) const { return Offset(firstFat) + 4 * sector; }
};
BuiltLayout LayoutOf(const std::string &file);

} // namespace testcfb
