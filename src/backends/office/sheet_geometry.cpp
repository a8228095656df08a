#include "backends/office/sheet_geometry.h"

#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XArrayFormulaRange.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>

#include <algorithm>

using namespace css;

namespace office
{
namespace
{

uno::Reference<table::XColumnRowRange>
ColumnsAndRows(const uno::Reference<sheet::XSpreadsheet> &sheet)
{
    return uno::Reference<table::XColumnRowRange>(sheet, uno::UNO_QUERY_THROW);
}

} // namespace

sal_Int32 ClampedColumn(const uno::Reference<sheet::XSpreadsheet> &sheet,
                        std::uint32_t oneBasedColumn)
{
    const sal_Int32 count = ColumnsAndRows(sheet)->getColumns()->getCount();
    return static_cast<sal_Int32>(std::min<std::uint32_t>(oneBasedColumn, count));
}

sal_Int32 ClampedRow(const uno::Reference<sheet::XSpreadsheet> &sheet, std::uint32_t oneBasedRow)
{
    const sal_Int32 count = ColumnsAndRows(sheet)->getRows()->getCount();
    return static_cast<sal_Int32>(std::min<std::uint32_t>(oneBasedRow, count));
}

engine::CellArea UsedAreaOf(const uno::Reference<sheet::XSpreadsheet> &sheet)
{
    const uno::Reference<sheet::XSheetCellCursor> cursor = sheet->createCursor();
    uno::Reference<sheet::XUsedAreaCursor> used(cursor, uno::UNO_QUERY_THROW);
    used->gotoStartOfUsedArea(false);
    used->gotoEndOfUsedArea(true);
    const table::CellRangeAddress address =
        uno::Reference<sheet::XCellRangeAddressable>(cursor, uno::UNO_QUERY_THROW)
            ->getRangeAddress();
    return {static_cast<std::uint32_t>(address.StartRow + 1),
            static_cast<std::uint32_t>(address.StartColumn + 1),
            static_cast<std::uint32_t>(address.EndRow + 1),
            static_cast<std::uint32_t>(address.EndColumn + 1)};
}

table::CellRangeAddress MergedAreaAt(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                     sal_Int32 row, sal_Int32 column)
{
    const uno::Reference<sheet::XSheetCellRange> cell(
        sheet->getCellRangeByPosition(column, row, column, row), uno::UNO_QUERY_THROW);
    const uno::Reference<sheet::XSheetCellCursor> cursor = sheet->createCursorByRange(cell);
    cursor->collapseToMergedArea();
    return uno::Reference<sheet::XCellRangeAddressable>(cursor, uno::UNO_QUERY_THROW)
        ->getRangeAddress();
}

uno::Reference<container::XEnumeration> FormulaCells(const uno::Reference<table::XCellRange> &range)
{
    return uno::Reference<sheet::XCellRangesQuery>(range, uno::UNO_QUERY_THROW)
        ->queryContentCells(sheet::CellFlags::FORMULA)
        ->getCells()
        ->createEnumeration();
}

bool InArrayFormula(const uno::Reference<sheet::XSpreadsheet> &sheet,
                    const uno::Reference<sheet::XSheetCellRange> &cell)
{
    const uno::Reference<sheet::XSheetCellCursor> cursor = sheet->createCursorByRange(cell);
    cursor->collapseToCurrentArray();
    return !uno::Reference<sheet::XArrayFormulaRange>(cursor, uno::UNO_QUERY_THROW)
                ->getArrayFormula()
                .isEmpty();
}

engine::CellArea AreaOnSheet(const uno::Reference<sheet::XSpreadsheet> &sheet,
                             const std::optional<engine::CellArea> &area)
{
    if (!area)
        return UsedAreaOf(sheet);
    engine::CellArea clamped = *area;
    clamped.lastColumn = static_cast<std::uint32_t>(ClampedColumn(sheet, area->lastColumn));
    clamped.lastRow = static_cast<std::uint32_t>(ClampedRow(sheet, area->lastRow));
    return clamped;
}

uno::Reference<table::XCellRange> RangeOf(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                          const engine::CellArea &area)
{
    return sheet->getCellRangeByPosition(area.firstColumn - 1, area.firstRow - 1,
                                         area.lastColumn - 1, area.lastRow - 1);
}

} // namespace office
