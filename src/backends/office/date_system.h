#pragma once
// Dates are stored as day numbers counted from a workbook's null date:
// 1899-12-30 in the 1900 date system, 1904-01-01 in the 1904 one. A pasted
// number keeps its value, so a pasted date between the two systems would
// name another day, 1,462 days off.

#include "engine/cell_area.h"

#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/util/Date.hpp>

namespace office
{

css::util::Date NullDateOf(const css::uno::Reference<css::lang::XComponent> &document);
// True when a number in the area is shown as a date or a time.
bool HoldsDates(const css::uno::Reference<css::lang::XComponent> &document,
                const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                const engine::CellArea &area);

} // namespace office
