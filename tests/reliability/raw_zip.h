#pragma once
// A zip package written byte by byte, so that tests can make the packages no
// well-behaved writer makes: duplicate names, lying sizes, absurd names.

#include <cstdint>
#include <string>
#include <vector>

namespace hostile
{

// How an entry's local header departs from its central one, as some
// writers make them; the defaults depart in nothing.
struct LocalQuirks {
    std::string name; // empty: the central name
    std::uint16_t flags = 0;
    std::uint16_t versionNeeded = 20;
    std::uint16_t time = 0;
    std::string extra;
    int method = -1; // -1: the central method
    // Zero checksum and sizes, a data descriptor after the data.
    bool sizesAfterData = false;
    std::uint32_t compressedSizeDelta = 0;
};

struct ZipItem {
    std::string name;
    std::string data;
    bool deflate = true;
    // The uncompressed size the headers claim; 0 means the true size.
    std::uint32_t declaredSize = 0;
    LocalQuirks local = {};
    std::uint16_t centralFlags = 0;
};

std::string BuildZip(const std::vector<ZipItem> &items);

// Raw deflate by zlib; a small memLevel makes small blocks.
std::string RawDeflate(const std::string &data, int level = 9, int memLevel = 8);

} // namespace hostile
