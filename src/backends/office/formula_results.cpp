#include "backends/office/formula_results.h"

#include "backends/office/sheet_geometry.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/XCell.hpp>

using namespace css;

namespace office
{

void RetypeFormulaResults(const uno::Reference<lang::XComponent> &document)
{
    const uno::Reference<container::XIndexAccess> sheets(
        uno::Reference<sheet::XSpreadsheetDocument>(document, uno::UNO_QUERY_THROW)->getSheets(),
        uno::UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        const uno::Reference<sheet::XSpreadsheet> sheet(sheets->getByIndex(i),
                                                        uno::UNO_QUERY_THROW);
        const auto cells =
            FormulaCells(uno::Reference<table::XCellRange>(sheet, uno::UNO_QUERY_THROW));
        while (cells->hasMoreElements()) {
            const uno::Reference<sheet::XSheetCellRange> range(cells->nextElement(),
                                                               uno::UNO_QUERY_THROW);
            if (InArrayFormula(sheet, range))
                continue;
            const uno::Reference<table::XCell> cell(range, uno::UNO_QUERY_THROW);
            cell->setFormula(cell->getFormula());
        }
    }
}

} // namespace office
