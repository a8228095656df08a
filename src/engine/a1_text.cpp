#include "a1_text.h"

namespace engine
{

std::string ColumnName(std::uint32_t column)
{
    std::string name;
    for (; column > 0; column = (column - 1) / 26)
        name.insert(name.begin(), char('A' + (column - 1) % 26));
    return name;
}

std::string CellName(std::uint32_t row, std::uint32_t column)
{
    return ColumnName(column) + std::to_string(row);
}

std::string AreaName(const CellArea &area)
{
    const std::string first = CellName(area.firstRow, area.firstColumn);
    if (area.firstRow == area.lastRow && area.firstColumn == area.lastColumn)
        return first;
    return first + ":" + CellName(area.lastRow, area.lastColumn);
}

bool ParseCellName(const char *text, std::uint32_t &row, std::uint32_t &column)
{
    const auto area = ParseA1Area(text);
    if (!area || area->firstRow != area->lastRow || area->firstColumn != area->lastColumn)
        return false;
    row = area->firstRow;
    column = area->firstColumn;
    return true;
}

} // namespace engine
