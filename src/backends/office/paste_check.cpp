#include "backends/office/paste_check.h"

#include "backends/office/sheet_geometry.h"

#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>

#include <algorithm>
#include <cstring>
#include <set>

using namespace css;

namespace office
{
namespace
{

// Attributes a format paste sets; the number format's key differs between
// documents and is left out.
uno::Sequence<rtl::OUString> SampledFormat()
{
    const rtl::OUString names[] = {"CharWeight",    "CharPosture", "CharHeight",   "CharColor",
                                   "CellBackColor", "HoriJustify", "IsTextWrapped"};
    return uno::Sequence<rtl::OUString>(names, static_cast<sal_Int32>(std::size(names)));
}

std::set<std::uint32_t> ThreePoints(std::uint32_t first, std::uint32_t last)
{
    return {first, first + (last - first) / 2, last};
}

// A cell under a merged area, not its first: what it holds is hidden, and
// a paste gives it nothing to compare.
bool CoveredByMerge(const uno::Reference<sheet::XSpreadsheet> &sheet, sal_Int32 row,
                    sal_Int32 column)
{
    const table::CellRangeAddress merged = MergedAreaAt(sheet, row, column);
    return merged.StartRow != row || merged.StartColumn != column;
}

// Attributes the cell takes from its style are not pasted: the target's
// own style gives them there.
std::vector<bool> OwnAttributes(const uno::Reference<table::XCell> &cell)
{
    const uno::Sequence<beans::PropertyState> states =
        uno::Reference<beans::XPropertyState>(cell, uno::UNO_QUERY_THROW)
            ->getPropertyStates(SampledFormat());
    std::vector<bool> own;
    for (const beans::PropertyState state : states)
        own.push_back(state == beans::PropertyState_DIRECT_VALUE);
    return own;
}

std::optional<CellSample> Sample(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                 std::uint32_t row, std::uint32_t column)
{
    CellSample sample;
    sample.row = static_cast<sal_Int32>(row - 1);
    sample.column = static_cast<sal_Int32>(column - 1);
    if (CoveredByMerge(sheet, sample.row, sample.column))
        return std::nullopt;
    const uno::Reference<table::XCell> cell = sheet->getCellByPosition(sample.column, sample.row);
    sample.format = uno::Reference<beans::XMultiPropertySet>(cell, uno::UNO_QUERY_THROW)
                        ->getPropertyValues(SampledFormat());
    sample.ownFormat = OwnAttributes(cell);
    const table::CellContentType type = cell->getType();
    sample.empty = type == table::CellContentType_EMPTY;
    sample.formulaCell = type == table::CellContentType_FORMULA;
    sample.formula = cell->getFormula();
    sample.value = cell->getValue();
    sample.text = uno::Reference<text::XText>(cell, uno::UNO_QUERY_THROW)->getString();
    return sample;
}

bool FormatLanded(const CellSample &sample, const uno::Reference<table::XCell> &cell)
{
    const uno::Sequence<uno::Any> format =
        uno::Reference<beans::XMultiPropertySet>(cell, uno::UNO_QUERY_THROW)
            ->getPropertyValues(SampledFormat());
    for (sal_Int32 i = 0; i < format.getLength(); ++i)
        if (sample.ownFormat[static_cast<size_t>(i)] && format[i] != sample.format[i])
            return false;
    return true;
}

// Formulas and constants, or values: an empty template cell empties the
// target; with the same place, formulas read the same.
bool ContentLanded(const CellSample &sample, const uno::Reference<table::XCell> &cell,
                   bool samePlace, bool valuesOnly)
{
    const table::CellContentType type = cell->getType();
    if (sample.empty || type == table::CellContentType_EMPTY)
        return sample.empty == (type == table::CellContentType_EMPTY);
    if (!valuesOnly)
        return !samePlace || cell->getFormula() == sample.formula;
    if (type == table::CellContentType_FORMULA)
        return false; // a values paste leaves no formula
    if (type == table::CellContentType_VALUE)
        return cell->getValue() == sample.value;
    return uno::Reference<text::XText>(cell, uno::UNO_QUERY_THROW)->getString() == sample.text;
}

} // namespace

std::vector<CellSample> SampleCells(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                    const engine::CellArea &area)
{
    const engine::CellArea used = UsedAreaOf(sheet);
    std::vector<CellSample> samples;
    if (!used.Intersects(area))
        return samples;
    const std::uint32_t firstRow = std::max(used.firstRow, area.firstRow);
    const std::uint32_t lastRow = std::min(used.lastRow, area.lastRow);
    const std::uint32_t firstColumn = std::max(used.firstColumn, area.firstColumn);
    const std::uint32_t lastColumn = std::min(used.lastColumn, area.lastColumn);
    for (const std::uint32_t row : ThreePoints(firstRow, lastRow))
        for (const std::uint32_t column : ThreePoints(firstColumn, lastColumn))
            if (const auto sample = Sample(sheet, row, column))
                samples.push_back(*sample);
    return samples;
}

std::optional<table::CellAddress> PasteMiss(const CopiedRange &copied,
                                            const uno::Reference<sheet::XSpreadsheet> &target,
                                            const engine::CellArea &place, const char *flags)
{
    const bool formats = std::strcmp(flags, "T") == 0;
    const bool valuesOnly = std::strcmp(flags, "SVD") == 0;
    const sal_Int32 rowShift = static_cast<sal_Int32>(place.firstRow) - copied.area.firstRow;
    const sal_Int32 columnShift =
        static_cast<sal_Int32>(place.firstColumn) - copied.area.firstColumn;
    const engine::CellArea bounds = AreaOnSheet(target, engine::CellArea{1, 1, ~0u, ~0u});
    for (const CellSample &sample : copied.samples) {
        const sal_Int32 row = sample.row + rowShift;
        const sal_Int32 column = sample.column + columnShift;
        if (row < 0 || column < 0 || row >= static_cast<sal_Int32>(bounds.lastRow) ||
            column >= static_cast<sal_Int32>(bounds.lastColumn))
            continue; // pasted past the sheet's edge: nothing there to compare
        const auto cell = target->getCellByPosition(column, row);
        const bool landed =
            formats ? FormatLanded(sample, cell)
                    : ContentLanded(sample, cell, rowShift == 0 && columnShift == 0, valuesOnly);
        if (!landed)
            return table::CellAddress(0, column, row);
    }
    return std::nullopt;
}

} // namespace office
