#include "backends/office/uno_context.h"

#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include <mutex>

using namespace css;

namespace office
{

uno::Reference<uno::XComponentContext> LocalUnoContext()
{
    static std::once_flag once;
    static uno::Reference<uno::XComponentContext> context;
    std::call_once(once, [] {
        const rtl::OUString program =
            rtl::OUString::createFromAscii("file://" LIBREOFFICE_PROGRAM_DIR);
        rtl::Bootstrap::set("URE_INTERNAL_LIB_DIR", program);
        // Without the office types, the first call into a document crashes.
        rtl::Bootstrap::set("UNO_TYPES", program + "/types.rdb " + program + "/types/offapi.rdb");
        rtl::Bootstrap::set("UNO_SERVICES", program + "/services.rdb");
        try {
            context = cppu::defaultBootstrap_InitialComponentContext();
        } catch (const uno::Exception &) {
        }
    });
    return context;
}

} // namespace office
