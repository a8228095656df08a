#pragma once
// Writing a worksheet part held around a hole. The held text is compressed
// afresh; the hole's rows go back in at the end of sheetData as the blocks
// they were read from, copied bit for bit out of the stored entry, with its
// lead and trail compressed on either side. The stream is inflated as it is
// written and checked against the text it must give.

#include "engine/error.h"
#include "package/zip_reader.h"
#include "package/zip_writer.h"
#include "sheet/sheet_hole.h"

#include <string_view>

namespace engine
{

// `shell` is the part's text as it is now, without the hole's rows.
bool WriteAroundHole(ZipWriter &writer, const ZipReader &source, int index, std::string_view shell,
                     const SheetHole &hole, Error &error);

} // namespace engine
