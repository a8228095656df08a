#pragma once
// PasteSpecial of a clipboard snapshot onto a worksheet: the snapshot's
// top-left cell lands on `place`. Each call takes the worksheet part's text
// and leaves the edited text in it; only the elements the paste type concerns
// change. On failure the text is gone: the caller keeps the part it came from.

#include "clipboard_snapshot.h"
#include "engine_error.h"
#include "styles_part.h"

#include <cstdint>
#include <string>

namespace engine
{

struct PastePlace {
    std::uint32_t row = 1;
    std::uint32_t column = 1;
};

// 8: widths of the snapshot's columns; hidden state, outline and style stay.
bool PasteColumnWidths(const ClipboardSnapshot &snapshot, PastePlace place,
                       std::string &worksheetXml, Error &error);

// -4122: cell formats (interned into `styles`), for whole rows also row
// heights and formats, merged areas and conditional formats.
bool PasteFormats(const ClipboardSnapshot &snapshot, PastePlace place, std::string &worksheetXml,
                  StylesPart &styles, Error &error);

enum class ContentKind { Formulas, Values };

// -4123 and -4163: formulas and constants, or values alone; formats stay.
bool PasteContents(const ClipboardSnapshot &snapshot, PastePlace place, ContentKind kind,
                   std::string &worksheetXml, Error &error);

} // namespace engine
