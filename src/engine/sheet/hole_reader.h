#pragma once
// Reading a worksheet part too big to hold, in one streaming pass: its text
// up to the first rows past a budget is held, and so is everything after its
// sheetData; the rows between are measured for the used range and left in
// the stored stream as a hole.

#include "engine/error.h"
#include "package/zip_reader.h"
#include "sheet/sheet_hole.h"

#include <optional>
#include <string>

namespace engine
{

// `shell` receives the part's text without the hole. True with no hole when
// the part does not suit (a sheetData within the budget, rows without
// numbers, blocks too big or stored): the caller then reads it whole.
bool ReadAroundHole(const ZipReader &zip, int index, size_t heldBytes, std::string &shell,
                    std::optional<SheetHole> &hole, Error &error);

} // namespace engine
