#pragma once
// UTF-16 code units to UTF-8 text, for the places that store text as UTF-16:
// parts some writers save so, and the strings of the binary .xls records.

#include <cstdint>
#include <string>
#include <string_view>

namespace engine
{

void AppendUtf8(std::uint32_t point, std::string &out);

// Appends the text to `out`; false on an odd length or a surrogate without
// its partner.
bool DecodeUtf16(std::string_view bytes, bool bigEndian, std::string &out);

} // namespace engine
