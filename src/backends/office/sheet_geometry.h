#pragma once
// Areas on a LibreOffice sheet: automation areas (1-based, possibly whole
// rows or columns up to the largest workbook) clamped to what the sheet has.

#include "engine/cell_area.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/sheet/XSheetCellRange.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

#include <optional>

namespace office
{

// The legacy format's columns: widths past them are never stored.
constexpr sal_Int32 kXlsColumns = 256;

sal_Int32 ClampedColumn(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                        std::uint32_t oneBasedColumn);
sal_Int32 ClampedRow(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                     std::uint32_t oneBasedRow);
// The area clamped to the sheet; no area: the sheet's used area.
engine::CellArea AreaOnSheet(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                             const std::optional<engine::CellArea> &area);
engine::CellArea UsedAreaOf(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet);
// The merged area holding the cell (0-based), or the cell alone.
css::table::CellRangeAddress
MergedAreaAt(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet, sal_Int32 row,
             sal_Int32 column);
// The formula cells of a range, each an XSheetCellRange.
css::uno::Reference<css::container::XEnumeration>
FormulaCells(const css::uno::Reference<css::table::XCellRange> &range);
bool InArrayFormula(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                    const css::uno::Reference<css::sheet::XSheetCellRange> &cell);
css::uno::Reference<css::table::XCellRange>
RangeOf(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet, const engine::CellArea &area);

} // namespace office
