#include "used_range.h"

#include "merges.h"
#include "xml_scan.h"

#include <algorithm>
#include <charconv>

namespace engine
{
namespace
{

// Rows and columns gathered separately: a formatted row widens only the
// rows, a formatted column only the columns.
struct Extent {
    std::uint32_t first = 0; // 0: nothing seen
    std::uint32_t last = 0;

    void Add(std::uint32_t from, std::uint32_t to)
    {
        first = first == 0 ? from : std::min(first, from);
        last = std::max(last, to);
    }
};

struct Bounds {
    Extent rows;
    Extent columns;

    void Add(const CellArea &area)
    {
        rows.Add(area.firstRow, area.lastRow);
        columns.Add(area.firstColumn, area.lastColumn);
    }
};

std::string_view Attribute(std::string_view xml, const ElementSpan &element, std::string_view name)
{
    const AttributeValue value = FindAttribute(xml, element, name);
    return value.found ? xml.substr(value.begin, value.end - value.begin) : std::string_view();
}

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

// Cells without an "r" follow the previous cell of their row.
bool AddRowCells(std::string_view xml, const ElementSpan &row, std::uint32_t rowNumber,
                 Bounds &bounds, Error &error)
{
    std::vector<ElementSpan> cells;
    if (!ScanChildren(xml, row, cells, error))
        return false;
    std::uint32_t column = 0;
    for (const ElementSpan &cell : cells) {
        if (cell.LocalName() != "c")
            continue;
        const auto address = ParseA1Area(Attribute(xml, cell, "r"));
        column = address ? address->firstColumn : column + 1;
        bounds.Add(CellArea{rowNumber, column, rowNumber, column});
    }
    return true;
}

bool AddRows(std::string_view xml, const std::vector<ElementSpan> &rows, Bounds &bounds,
             Error &error)
{
    std::uint32_t rowNumber = 0;
    for (const ElementSpan &row : rows) {
        if (row.LocalName() != "row")
            continue;
        const std::uint32_t stated = Number(Attribute(xml, row, "r"));
        rowNumber = stated != 0 && stated <= kMaxRow ? stated : rowNumber + 1;
        if (IsTrue(Attribute(xml, row, "customFormat")) ||
            IsTrue(Attribute(xml, row, "customHeight")))
            bounds.rows.Add(rowNumber, rowNumber);
        if (!AddRowCells(xml, row, rowNumber, bounds, error))
            return false;
    }
    return true;
}

void AddFormattedColumns(std::string_view xml, const std::vector<ElementSpan> &columns,
                         Bounds &bounds)
{
    for (const ElementSpan &column : columns) {
        const std::string_view style = Attribute(xml, column, "style");
        const std::uint32_t first = Number(Attribute(xml, column, "min"));
        const std::uint32_t last = std::min(Number(Attribute(xml, column, "max")), kMaxColumn);
        if (!style.empty() && style != "0" && first >= 1 && first <= last)
            bounds.columns.Add(first, last);
    }
}

CellArea ToArea(const Bounds &bounds)
{
    if (bounds.rows.first == 0 && bounds.columns.first == 0)
        return CellArea{};
    const bool hasRows = bounds.rows.first != 0;
    const bool hasColumns = bounds.columns.first != 0;
    return CellArea{hasRows ? bounds.rows.first : 1, hasColumns ? bounds.columns.first : 1,
                    hasRows ? bounds.rows.last : kMaxRow,
                    hasColumns ? bounds.columns.last : kMaxColumn};
}

} // namespace

bool ComputeUsedArea(const WorksheetPart &part, CellArea &area, Error &error)
{
    Bounds bounds;
    for (size_t i = 0; i < part.Children().size(); ++i) {
        const std::string_view name = part.Children()[i].LocalName();
        const std::string_view text = part.ChildText(i);
        if ((name != "sheetData" && name != "cols") || text.empty())
            continue;
        // The element may have been edited, so its current text is scanned.
        ElementTree element;
        if (!ScanDocument(text, element, error))
            return false;
        if (name == "cols")
            AddFormattedColumns(text, element.children, bounds);
        else if (!AddRows(text, element.children, bounds, error))
            return false;
    }
    std::vector<CellArea> merges;
    if (!ListMerges(part, merges, error))
        return false;
    for (const CellArea &merge : merges)
        bounds.Add(merge);
    area = ToArea(bounds);
    return true;
}

} // namespace engine
