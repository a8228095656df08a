#include "worker/folder_walk.h"

#include "worker/unspellable_files.h"

#include <QDir>

namespace
{

QString RealFolderPath(const QString &folderPath)
{
    const QFileInfo folder(folderPath);
    const QString canonical = folder.canonicalFilePath();
    return canonical.isEmpty() ? folder.absoluteFilePath() : canonical;
}

} // namespace

QFileInfoList CollectFolderTree(const QString &folderPath, QSet<QString> &visitedFolders)
{
    const QString realPath = RealFolderPath(folderPath);
    if (visitedFolders.contains(realPath))
        return {};
    visitedFolders.insert(realPath);

    const QDir folder(folderPath); // sorted by name, ignoring case
    QFileInfoList result =
        folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::NoSort);
    result += UnspellableFiles(folderPath);
    const QFileInfoList subFolders =
        folder.entryInfoList(QDir::Dirs | QDir::NoDot | QDir::NoDotDot, QDir::NoSort);
    for (const QFileInfo &subFolder : subFolders)
        result += CollectFolderTree(subFolder.absoluteFilePath(), visitedFolders);
    return result;
}

bool IsWorkbookFile(const QString &nativePath)
{
    const QString lower = nativePath.toLower();
    const bool workbookSuffix = lower.endsWith(QLatin1String(".xls")) ||
                                lower.endsWith(QLatin1String(".xlsx")) ||
                                lower.endsWith(QLatin1String(".xlsm"));
    return workbookSuffix && !IsLockFileName(nativePath);
}

bool IsLockFileName(const QString &nativePath)
{
    // Only the file's own name: "~$" in a folder name says nothing of the files in it.
    return QFileInfo(QDir::fromNativeSeparators(nativePath))
        .fileName()
        .startsWith(QLatin1String("~$"));
}

QStringList WorkbookPaths(const QFileInfoList &entries)
{
    QStringList paths;
    for (const QFileInfo &entry : entries) {
        const QString path = QDir::toNativeSeparators(entry.filePath());
        if (IsWorkbookFile(path))
            paths << path;
    }
    return paths;
}
