#include "backends/office/office_dispatch.h"

#include "backends/office/sheet_geometry.h"
#include "backends/office/uno_text.h"

#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

using namespace css;

namespace office
{
namespace
{

uno::Reference<frame::XController> ControllerOf(const uno::Reference<lang::XComponent> &document)
{
    return uno::Reference<frame::XModel>(document, uno::UNO_QUERY_THROW)->getCurrentController();
}

uno::Reference<view::XSelectionSupplier> SelectOn(const uno::Reference<lang::XComponent> &document,
                                                  const uno::Reference<sheet::XSpreadsheet> &sheet,
                                                  const engine::CellArea &area)
{
    const auto controller = ControllerOf(document);
    uno::Reference<sheet::XSpreadsheetView>(controller, uno::UNO_QUERY_THROW)
        ->setActiveSheet(sheet);
    uno::Reference<view::XSelectionSupplier> selection(controller, uno::UNO_QUERY_THROW);
    selection->select(uno::Any(RangeOf(sheet, area)));
    return selection;
}

} // namespace

void Dispatch(const uno::Reference<uno::XComponentContext> &context,
              const uno::Reference<lang::XComponent> &document, const char *command,
              const std::vector<beans::PropertyValue> &arguments)
{
    const uno::Reference<frame::XDispatchProvider> provider(ControllerOf(document)->getFrame(),
                                                            uno::UNO_QUERY_THROW);
    frame::DispatchHelper::create(context)->executeDispatch(
        provider, rtl::OUString::createFromAscii(command), rtl::OUString(), 0,
        SequenceOf(arguments));
}

bool SelectArea(const uno::Reference<lang::XComponent> &document,
                const uno::Reference<sheet::XSpreadsheet> &sheet, const engine::CellArea &area)
{
    return SelectOn(document, sheet, area).is();
}

bool SelectCell(const uno::Reference<lang::XComponent> &document,
                const uno::Reference<sheet::XSpreadsheet> &sheet, int sheetIndex,
                const engine::CellArea &area)
{
    const engine::CellArea cell{area.firstRow, area.firstColumn, area.firstRow, area.firstColumn};
    const uno::Reference<sheet::XCellRangeAddressable> selected(
        SelectOn(document, sheet, cell)->getSelection(), uno::UNO_QUERY);
    return selected.is() && selected->getRangeAddress().Sheet == sheetIndex;
}

} // namespace office
