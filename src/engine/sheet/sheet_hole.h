#pragma once
// The rows of a worksheet part too big to hold: everything from some row on
// to the end of its sheetData stays in the workbook's compressed stream. The
// part is held without them; a save puts them back, mostly as the very
// compressed blocks they were read from.

#include "engine/error.h"
#include "sheet/used_bounds.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine
{

struct SheetHole {
    // Where the rows are in the stored part's text, and that text's CRC-32.
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::uint32_t crc = 0;
    // Every row in the hole states its number; they ascend from firstRow.
    std::uint32_t firstRow = 0;
    std::uint32_t lastRow = 0;
    UsedBounds bounds;
    // The stored stream's whole blocks inside the hole, bits [fromBit,
    // toBit), are written again as they are; `lead` and `trail` are the
    // hole's bytes before and after them.
    std::uint64_t fromBit = 0;
    std::uint64_t toBit = 0;
    std::string lead;
    std::string trail;
};

// Where the rows of a hole go back into a worksheet's text: before its
// sheetData's end tag, after any row an edit has added.
bool FindRowsEnd(std::string_view worksheet, size_t &place, Error &error);

} // namespace engine
