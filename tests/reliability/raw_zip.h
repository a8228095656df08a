#pragma once
// A zip package written byte by byte, so that tests can make the packages no
// well-behaved writer makes: duplicate names, lying sizes, absurd names.

#include <cstdint>
#include <string>
#include <vector>

namespace hostile
{

struct ZipItem {
    std::string name;
    std::string data;
    bool deflate = true;
    // The uncompressed size the headers claim; 0 means the true size.
    std::uint32_t declaredSize = 0;
};

std::string BuildZip(const std::vector<ZipItem> &items);

// Raw deflate by zlib; a small memLevel makes small blocks.
std::string RawDeflate(const std::string &data, int level = 9, int memLevel = 8);

} // namespace hostile
