#include "engine/a1_text.h"

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

namespace
{

// "B12" as sheet XML writes cell names: upper-case letters, then digits,
// then the end. False for anything else, which may still be a cell name.
bool ParsePlainCellName(const char *text, std::uint32_t &row, std::uint32_t &column)
{
    std::uint32_t letters = 0;
    for (; *text >= 'A' && *text <= 'Z'; ++text) {
        letters = letters * 26 + std::uint32_t(*text - 'A' + 1);
        if (letters > kMaxColumn)
            return false;
    }
    std::uint32_t digits = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        digits = digits * 10 + std::uint32_t(*text - '0');
        if (digits > kMaxRow)
            return false;
    }
    if (*text != '\0' || letters == 0 || digits == 0)
        return false;
    row = digits;
    column = letters;
    return true;
}

} // namespace

bool ParseCellName(const char *text, std::uint32_t &row, std::uint32_t &column)
{
    // cell after cell of a sheet is read here: the usual form goes first
    if (ParsePlainCellName(text, row, column))
        return true;
    const auto area = ParseA1Area(text);
    if (!area || area->firstRow != area->lastRow || area->firstColumn != area->lastColumn)
        return false;
    row = area->firstRow;
    column = area->firstColumn;
    return true;
}

} // namespace engine
