#pragma once
// The used range of a worksheet: the bounding box of every cell element,
// every merged area and every row or column that carries formatting. An
// empty sheet's used range is A1, as in the spreadsheet application.

#include "engine/cell_area.h"
#include "engine/error.h"
#include "sheet/worksheet_part.h"

namespace engine
{

bool ComputeUsedArea(const WorksheetPart &part, CellArea &area, Error &error);

} // namespace engine
