#include "backends/office/uno_text.h"

#include <osl/file.hxx>

namespace office
{

rtl::OUString FileUrl(const QString &path)
{
    rtl::OUString url;
    osl::FileBase::getFileURLFromSystemPath(ToUno(path), url);
    return url;
}

} // namespace office
