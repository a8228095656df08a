#include "backends/office/date_system.h"

#include "backends/office/sheet_geometry.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

using namespace css;

namespace office
{

util::Date NullDateOf(const uno::Reference<lang::XComponent> &document)
{
    util::Date date;
    uno::Reference<beans::XPropertySet>(document, uno::UNO_QUERY_THROW)
        ->getPropertyValue("NullDate") >>= date;
    return date;
}

bool HoldsDates(const uno::Reference<lang::XComponent> &document,
                const uno::Reference<sheet::XSpreadsheet> &sheet, const engine::CellArea &area)
{
    const auto formats =
        uno::Reference<util::XNumberFormatsSupplier>(document, uno::UNO_QUERY_THROW)
            ->getNumberFormats();
    const auto numbers =
        uno::Reference<sheet::XCellRangesQuery>(RangeOf(sheet, area), uno::UNO_QUERY_THROW)
            ->queryContentCells(sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME |
                                sheet::CellFlags::FORMULA)
            ->getCells()
            ->createEnumeration();
    while (numbers->hasMoreElements()) {
        sal_Int32 key = 0;
        uno::Reference<beans::XPropertySet>(numbers->nextElement(), uno::UNO_QUERY_THROW)
            ->getPropertyValue("NumberFormat") >>= key;
        sal_Int16 type = 0;
        formats->getByKey(key)->getPropertyValue("Type") >>= type;
        if (type & (util::NumberFormat::DATE | util::NumberFormat::TIME))
            return true;
    }
    return false;
}

} // namespace office
