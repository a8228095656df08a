#pragma once
// Writing cell addresses in A1 notation, the inverse of ParseA1Area.

#include "engine/cell_area.h"

#include <cstdint>
#include <string>

namespace engine
{

std::string ColumnName(std::uint32_t column); // 1 -> "A", 28 -> "AB"
std::string CellName(std::uint32_t row, std::uint32_t column);
// "B2:D9", or "B2" for a single cell.
std::string AreaName(const CellArea &area);

// Row and column of a single-cell reference such as "B12"; false otherwise.
bool ParseCellName(const char *text, std::uint32_t &row, std::uint32_t &column);

} // namespace engine
