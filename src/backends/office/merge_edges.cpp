#include "backends/office/merge_edges.h"

#include "backends/office/sheet_geometry.h"

#include <com/sun/star/util/XMergeable.hpp>

#include <algorithm>

using namespace css;

namespace office
{
namespace
{

bool Inside(const table::CellRangeAddress &merged, const engine::CellArea &place)
{
    return merged.StartRow + 1 >= static_cast<sal_Int32>(place.firstRow) &&
           merged.EndRow + 1 <= static_cast<sal_Int32>(place.lastRow) &&
           merged.StartColumn + 1 >= static_cast<sal_Int32>(place.firstColumn) &&
           merged.EndColumn + 1 <= static_cast<sal_Int32>(place.lastColumn);
}

void DissolveIfAcross(const uno::Reference<sheet::XSpreadsheet> &sheet,
                      const engine::CellArea &place, std::uint32_t row, std::uint32_t column)
{
    const table::CellRangeAddress merged =
        MergedAreaAt(sheet, static_cast<sal_Int32>(row - 1), static_cast<sal_Int32>(column - 1));
    if (Inside(merged, place))
        return;
    uno::Reference<util::XMergeable>(sheet->getCellRangeByPosition(merged.StartColumn,
                                                                   merged.StartRow,
                                                                   merged.EndColumn, merged.EndRow),
                                     uno::UNO_QUERY_THROW)
        ->merge(false);
}

} // namespace

// Only the place's edge cells can belong to a merged area that crosses it,
// and only those in the used area (where every merged area lies).
void DissolveMergesAcrossEdge(const uno::Reference<sheet::XSpreadsheet> &sheet,
                              const engine::CellArea &place)
{
    const engine::CellArea used = UsedAreaOf(sheet);
    if (!used.Intersects(place))
        return;
    const std::uint32_t firstRow = std::max(used.firstRow, place.firstRow);
    const std::uint32_t lastRow = std::min(used.lastRow, place.lastRow);
    const std::uint32_t firstColumn = std::max(used.firstColumn, place.firstColumn);
    const std::uint32_t lastColumn = std::min(used.lastColumn, place.lastColumn);
    for (std::uint32_t column = firstColumn; column <= lastColumn; ++column)
        for (const std::uint32_t row : {place.firstRow, place.lastRow})
            if (row >= firstRow && row <= lastRow)
                DissolveIfAcross(sheet, place, row, column);
    for (std::uint32_t row = firstRow; row <= lastRow; ++row)
        for (const std::uint32_t column : {place.firstColumn, place.lastColumn})
            if (column >= firstColumn && column <= lastColumn)
                DissolveIfAcross(sheet, place, row, column);
}

} // namespace office
