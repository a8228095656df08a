#pragma once
// PasteSpecial of a clipboard snapshot onto a worksheet: the snapshot's
// top-left cell lands on `place`. Only the elements of the worksheet part that
// the paste type concerns change; after a failure the part may be half edited
// and must not be saved.

#include "engine/error.h"
#include "engine/transfer_state.h"
#include "parts/styles_part.h"
#include "sheet/worksheet_part.h"
#include "transfer/clipboard_snapshot.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace engine
{

// 8: widths of the snapshot's columns; hidden state, outline and style stay.
bool PasteColumnWidths(const ClipboardSnapshot &snapshot, PastePlace place, WorksheetPart &sheet,
                       Error &error);

// The snapshot's cellXfs indices -> those they were interned as in one style
// table. A table only grows and interns a value to the same index every time,
// so a workbook keeps one per snapshot for all its sheets.
using InternedStyles = std::unordered_map<std::uint32_t, std::uint32_t>;

// -4122: cell formats (interned into `styles`, `interned` noting which), for
// whole rows also row heights and formats, merged areas and conditional formats.
bool PasteFormats(const ClipboardSnapshot &snapshot, PastePlace place, WorksheetPart &sheet,
                  StyleInterner &styles, InternedStyles &interned, Error &error);

enum class ContentKind { Formulas, Values };

// -4123 and -4163: formulas and constants, or values alone; formats stay.
bool PasteContents(const ClipboardSnapshot &snapshot, PastePlace place, ContentKind kind,
                   WorksheetPart &sheet, Error &error);

} // namespace engine
