#include "engine/cell_area.h"

#include <algorithm>

namespace engine
{
namespace
{

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

void SkipDollar(std::string_view &text)
{
    if (!text.empty() && text.front() == '$')
        text.remove_prefix(1);
}

// Consumes letters as a column number; 0 when there are none or past XFD.
std::uint32_t TakeColumn(std::string_view &text)
{
    std::uint32_t column = 0;
    size_t used = 0;
    while (used < text.size() && IsLetter(text[used])) {
        const char upper = static_cast<char>(text[used] & ~0x20);
        column = column * 26 + static_cast<std::uint32_t>(upper - 'A' + 1);
        if (column > kMaxColumn)
            return 0;
        ++used;
    }
    text.remove_prefix(used);
    return column;
}

// Consumes digits as a row number; 0 when there are none, zero or too large.
std::uint32_t TakeRow(std::string_view &text)
{
    std::uint32_t row = 0;
    size_t used = 0;
    while (used < text.size() && IsDigit(text[used])) {
        row = row * 10 + static_cast<std::uint32_t>(text[used] - '0');
        if (row > kMaxRow)
            return 0;
        ++used;
    }
    text.remove_prefix(used);
    return row;
}

// One corner: a cell, a bare column or a bare row. Zero marks an absent part.
struct Corner {
    std::uint32_t row = 0;
    std::uint32_t column = 0;
};

std::optional<Corner> ParseCorner(std::string_view text)
{
    Corner corner;
    SkipDollar(text);
    const bool hasLetters = !text.empty() && IsLetter(text.front());
    if (hasLetters) {
        corner.column = TakeColumn(text);
        if (corner.column == 0)
            return std::nullopt;
        const bool rowDollar = !text.empty() && text.front() == '$';
        SkipDollar(text);
        if (rowDollar && text.empty())
            return std::nullopt;
    }
    if (!text.empty()) {
        corner.row = TakeRow(text);
        if (corner.row == 0)
            return std::nullopt;
    }
    if (!text.empty() || (corner.row == 0 && corner.column == 0))
        return std::nullopt;
    return corner;
}

bool IsCell(const Corner &corner)
{
    return corner.row != 0 && corner.column != 0;
}

CellArea Span(const Corner &a, const Corner &b)
{
    CellArea area;
    area.firstRow = a.row == 0 ? 1 : std::min(a.row, b.row);
    area.lastRow = a.row == 0 ? kMaxRow : std::max(a.row, b.row);
    area.firstColumn = a.column == 0 ? 1 : std::min(a.column, b.column);
    area.lastColumn = a.column == 0 ? kMaxColumn : std::max(a.column, b.column);
    return area;
}

} // namespace

bool CellArea::Intersects(const CellArea &other) const
{
    return firstRow <= other.lastRow && other.firstRow <= lastRow &&
           firstColumn <= other.lastColumn && other.firstColumn <= lastColumn;
}

bool CellArea::operator==(const CellArea &other) const
{
    return firstRow == other.firstRow && firstColumn == other.firstColumn &&
           lastRow == other.lastRow && lastColumn == other.lastColumn;
}

std::optional<CellArea> ParseA1Area(std::string_view text)
{
    const size_t colon = text.find(':');
    const auto first = ParseCorner(text.substr(0, colon));
    if (!first)
        return std::nullopt;
    if (colon == std::string_view::npos)
        return IsCell(*first) ? std::optional(Span(*first, *first)) : std::nullopt;
    const auto second = ParseCorner(text.substr(colon + 1));
    if (!second)
        return std::nullopt;
    // Both corners must be of one kind: cells, bare columns or bare rows.
    const bool sameKind =
        (first->row == 0) == (second->row == 0) && (first->column == 0) == (second->column == 0);
    if (!sameKind)
        return std::nullopt;
    return Span(*first, *second);
}

} // namespace engine
