#pragma once
// Merged cell areas: the worksheet's mergeCells element (CT_MergeCells).

#include "engine/cell_area.h"
#include "engine/error.h"
#include "sheet/worksheet_part.h"

#include <optional>
#include <vector>

namespace engine
{

// Every merged area of the sheet; an area whose reference does not parse is
// left out.
bool ListMerges(const WorksheetPart &part, std::vector<CellArea> &areas, Error &error);

// Removes the merged areas that intersect `area` (all of them when there is
// no area). A mergeCells element left empty is removed, as the schema
// requires at least one mergeCell.
bool RemoveMerges(WorksheetPart &part, const std::optional<CellArea> &area, Error &error);

} // namespace engine
