#include "backends/office/office_load.h"

#include "backends/office/uno_text.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

using namespace css;

namespace office
{
namespace
{

const char *FilterFor(const QString &path)
{
    return path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive) ? "MS Excel 97"
                                                                     : "Calc MS Excel 2007 XML";
}

// Hidden, no macros, no link updates, no questions, the filter forced.
std::vector<beans::PropertyValue> LoadProperties(const QString &path, bool editable)
{
    std::vector<beans::PropertyValue> properties = {
        Property("Hidden", uno::Any(true)),
        Property("MacroExecutionMode", uno::Any(sal_Int16(0))),
        Property("UpdateDocMode", uno::Any(sal_Int16(0))),
        Property("Silent", uno::Any(true)),
        Property("FilterName", uno::Any(rtl::OUString::createFromAscii(FilterFor(path)))),
    };
    if (!editable)
        properties.push_back(Property("ReadOnly", uno::Any(true)));
    return properties;
}

void CloseQuietly(const uno::Reference<lang::XComponent> &document)
{
    try {
        uno::Reference<util::XCloseable>(document, uno::UNO_QUERY_THROW)->close(true);
    } catch (const uno::Exception &) {
    }
}

uno::Reference<lang::XComponent> LoadInInstance(OfficeSession &session, const QString &path,
                                                bool editable, QString &error)
{
    const uno::Reference<lang::XComponent> document =
        session.instance.Desktop()->loadComponentFromURL(
            FileUrl(path), "_blank", 0, SequenceOf(LoadProperties(path, editable)));
    if (!document.is()) {
        error = QStringLiteral("LibreOffice could not open the workbook");
        return {};
    }
    if (editable &&
        uno::Reference<frame::XStorable>(document, uno::UNO_QUERY_THROW)->isReadonly()) {
        CloseQuietly(document);
        error =
            QStringLiteral("the workbook opened read-only (a read-only file, or open elsewhere)");
        return {};
    }
    // Otherwise every row touched is re-fitted to its contents.
    uno::Reference<beans::XPropertySet>(document, uno::UNO_QUERY_THROW)
        ->setPropertyValue("IsAdjustHeightEnabled", uno::Any(false));
    // What loading did (a recalculation, say) is no change of ours: only a
    // workbook our calls changed is stored.
    uno::Reference<util::XModifiable>(document, uno::UNO_QUERY_THROW)->setModified(false);
    return document;
}

} // namespace

void RetireWornInstance(OfficeSession &session)
{
    if (session.workbooksLoaded >= session.options.workbooksPerInstance)
        session.instance.Stop();
}

bool ReadyInstance(OfficeSession &session, QString &error)
{
    if (session.instance.Running())
        return true;
    session.instance.Stop();
    session.clipboard.reset(); // it lived in the old soffice
    session.workbooksLoaded = 0;
    ++session.generation;
    return session.instance.Start(error);
}

uno::Reference<lang::XComponent> LoadDocument(OfficeSession &session, const QString &path,
                                              bool editable, QString &error)
{
    if (!ReadyInstance(session, error))
        return {};
    ++session.workbooksLoaded;
    session.instance.Guard().Arm(session.instance.Pid(), session.options.workbookTimeout);
    try {
        return LoadInInstance(session, path, editable, error);
    } catch (const lang::DisposedException &) {
        session.instance.Abandon(); // soffice ended while loading
        error = QStringLiteral("LibreOffice stopped responding while opening the workbook");
        return {};
    } catch (const uno::Exception &e) {
        error =
            session.instance.Running()
                ? QStringLiteral("LibreOffice could not open the workbook: ") + FromUno(e.Message)
                : QStringLiteral("LibreOffice stopped responding while opening the workbook");
    }
    return {};
}

} // namespace office
