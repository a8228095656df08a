#pragma once
// Text in the encodings workbook files use, turned into and out of the
// UTF-8 every reader of the engine expects.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine
{

void AppendUtf8(std::uint32_t point, std::string &out);

// UTF-16 code units as UTF-8, appended to `out`; false on an odd length or
// a surrogate without its partner.
bool AppendUtf16AsUtf8(std::string_view bytes, bool bigEndian, std::string &out);

// The code points of UTF-8 text; a broken sequence reads as U+FFFD.
std::vector<std::uint32_t> CodePoints(std::string_view utf8);

} // namespace engine
