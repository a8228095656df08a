#include "worker/unspellable_files.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{

bool IsPlainFile(int folder, const char *name)
{
    struct stat info;
    return ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode);
}

} // namespace

QFileInfoList UnspellableFiles(const QString &folderPath)
{
    QFileInfoList files;
    DIR *folder = ::opendir(QFile::encodeName(folderPath).constData());
    if (!folder)
        return files;
    const QDir dir(folderPath);
    while (const dirent *entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        const QString decoded = QFile::decodeName(name);
        if (QFile::encodeName(decoded) != name && IsPlainFile(::dirfd(folder), entry->d_name))
            files.append(QFileInfo(dir.filePath(decoded)));
    }
    ::closedir(folder);
    return files;
}
