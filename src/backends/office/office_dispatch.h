#pragma once
// Commands sent to a document's frame as the user interface sends them:
// what the clipboard and the paste of LibreOffice offer only this way.

#include "engine/cell_area.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <vector>

namespace office
{

// Its result is not reported: ".uno:InsertContents" says FAILURE even when
// it worked, so callers check the cells instead.
void Dispatch(const css::uno::Reference<css::uno::XComponentContext> &context,
              const css::uno::Reference<css::lang::XComponent> &document, const char *command,
              const std::vector<css::beans::PropertyValue> &arguments);
bool SelectArea(const css::uno::Reference<css::lang::XComponent> &document,
                const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                const engine::CellArea &area);
// Selects the area's first cell; false unless the selection is on that
// sheet (selecting on a hidden sheet lands on another one).
bool SelectCell(const css::uno::Reference<css::lang::XComponent> &document,
                const css::uno::Reference<css::sheet::XSpreadsheet> &sheet, int sheetIndex,
                const engine::CellArea &area);

} // namespace office
