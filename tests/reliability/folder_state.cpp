#include "folder_state.h"

#include "file_bytes.h"

#include <QDir>
#include <QFile>

QStringList FileNames(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

FolderBytes ReadFolder(const QString &folder)
{
    FolderBytes files;
    for (const QString &name : FileNames(folder))
        files.insert(name, testsupport::FileBytes(QDir(folder).filePath(name)));
    return files;
}

bool RestoreFolder(const QString &folder, const FolderBytes &files)
{
    const QDir dir(folder);
    for (const QString &name : FileNames(folder))
        if (!QFile::remove(dir.filePath(name)))
            return false;
    for (auto file = files.begin(); file != files.end(); ++file)
        if (!testsupport::WriteFileBytes(dir.filePath(file.key()), file.value()))
            return false;
    return true;
}
