#include "backends/office/office_backend.h"

#include "backends/office/office_load.h"
#include "backends/office/uno_text.h"

#include <QFile>

#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>

using namespace css;

bool ConvertToXlsx(const QString &sourcePath, const QString &xlsxPath, QString &error)
{
    office::OfficeSession session;
    const uno::Reference<lang::XComponent> document =
        office::LoadDocument(session, sourcePath, false, error);
    if (!document.is())
        return false;
    const std::vector<beans::PropertyValue> properties = {
        office::Property("FilterName", uno::Any(rtl::OUString("Calc MS Excel 2007 XML"))),
        office::Property("Overwrite", uno::Any(true))};
    try {
        uno::Reference<frame::XStorable>(document, uno::UNO_QUERY_THROW)
            ->storeToURL(office::FileUrl(xlsxPath), office::SequenceOf(properties));
        uno::Reference<util::XCloseable>(document, uno::UNO_QUERY_THROW)->close(true);
    } catch (const uno::Exception &e) {
        error = QStringLiteral("LibreOffice could not convert the template: ") +
                office::FromUno(e.Message);
        QFile::remove(xlsxPath);
        return false;
    }
    return true;
}
