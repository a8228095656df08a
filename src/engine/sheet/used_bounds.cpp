#include "sheet/used_bounds.h"

#include <algorithm>
#include <charconv>

namespace engine
{
namespace
{

std::uint32_t Number(std::string_view text)
{
    std::uint32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

bool IsTrue(std::string_view flag)
{
    return flag == "1" || flag == "true";
}

} // namespace

std::string_view AttributeText(std::string_view xml, const ElementSpan &element,
                               std::string_view name)
{
    const AttributeValue value = FindAttribute(xml, element, name);
    return value.found ? xml.substr(value.begin, value.end - value.begin) : std::string_view();
}

void UsedBounds::Extent::Add(std::uint32_t from, std::uint32_t to)
{
    first = first == 0 ? from : std::min(first, from);
    last = std::max(last, to);
}

void UsedBounds::AddRowCells(std::string_view xml, const std::vector<ElementSpan> &cells,
                             std::uint32_t rowNumber)
{
    std::uint32_t column = 0;
    for (const ElementSpan &cell : cells) {
        if (cell.LocalName() != "c")
            continue;
        const auto address = ParseA1Area(AttributeText(xml, cell, "r"));
        column = address ? address->firstColumn : column + 1;
        Add(CellArea{rowNumber, column, rowNumber, column});
    }
}

void UsedBounds::AddRows(std::string_view xml, const std::vector<ElementTree> &rows)
{
    for (const ElementTree &tree : rows) {
        const ElementSpan &row = tree.root;
        if (row.LocalName() != "row")
            continue;
        const std::uint32_t stated = Number(AttributeText(xml, row, "r"));
        lastRowNumber_ = stated != 0 && stated <= kMaxRow ? stated : lastRowNumber_ + 1;
        if (IsTrue(AttributeText(xml, row, "customFormat")) ||
            IsTrue(AttributeText(xml, row, "customHeight")))
            rows_.Add(lastRowNumber_, lastRowNumber_);
        AddRowCells(xml, tree.children, lastRowNumber_);
    }
}

void UsedBounds::AddColumns(std::string_view xml, const std::vector<ElementSpan> &columns)
{
    for (const ElementSpan &column : columns) {
        const std::string_view style = AttributeText(xml, column, "style");
        const std::uint32_t first = Number(AttributeText(xml, column, "min"));
        const std::uint32_t last = std::min(Number(AttributeText(xml, column, "max")), kMaxColumn);
        if (!style.empty() && style != "0" && first >= 1 && first <= last)
            columns_.Add(first, last);
    }
}

void UsedBounds::Add(const CellArea &area)
{
    rows_.Add(area.firstRow, area.lastRow);
    columns_.Add(area.firstColumn, area.lastColumn);
}

void UsedBounds::Add(const UsedBounds &other)
{
    if (other.rows_.first != 0)
        rows_.Add(other.rows_.first, other.rows_.last);
    if (other.columns_.first != 0)
        columns_.Add(other.columns_.first, other.columns_.last);
}

CellArea UsedBounds::Area() const
{
    if (rows_.first == 0 && columns_.first == 0)
        return CellArea{};
    const bool hasRows = rows_.first != 0;
    const bool hasColumns = columns_.first != 0;
    return CellArea{hasRows ? rows_.first : 1, hasColumns ? columns_.first : 1,
                    hasRows ? rows_.last : kMaxRow, hasColumns ? columns_.last : kMaxColumn};
}

} // namespace engine
