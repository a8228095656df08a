#include "backends/standard_backends.h"

#include "backends/native/native_backend.h"
#ifdef SHEETWRIGHT_HAVE_OFFICE
#include "backends/office/office_backend.h"
#endif

Backends StandardBackends()
{
    Backends backends;
    backends.native = NativeAppFactory();
#ifdef SHEETWRIGHT_HAVE_OFFICE
    // Without LibreOffice, .xls workbooks fail with the reason that says so.
    if (OfficeInstalled()) {
        backends.office = OfficeAppFactory();
        backends.toNative = ConvertToXlsx;
    }
#endif
    return backends;
}
