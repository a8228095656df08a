#pragma once
// Copy and paste through LibreOffice's own clipboard (one per soffice), as
// the runs ask for them: the template range is copied once per lane, and
// each paste is checked by reading the target's cells back, since the
// dispatcher's result says nothing and a refused paste changes nothing.

#include "engine/cell_area.h"

#include <optional>

namespace office
{

class OfficeWorkbook;

// No area: the sheet's used area.
void CopyToClipboard(OfficeWorkbook &book, int sheet, const std::optional<engine::CellArea> &area);
// The copied range lands with its first cell on the area's first cell.
void PasteFromClipboard(OfficeWorkbook &book, int sheet,
                        const std::optional<engine::CellArea> &area, int pasteType);

} // namespace office
