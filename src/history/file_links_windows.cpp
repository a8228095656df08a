#include "history/file_links.h"

#include <QDir>

#include <windows.h>
// windows.h names a macro after the function below.
#undef ReplaceFile

namespace history
{
namespace
{

std::wstring WideNative(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

} // namespace

bool MakeHardLink(const QString &existing, const QString &link)
{
    return CreateHardLinkW(WideNative(link).c_str(), WideNative(existing).c_str(), nullptr);
}

bool ReplaceFile(const QString &from, const QString &to)
{
    return MoveFileExW(WideNative(from).c_str(), WideNative(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

} // namespace history
