#include "ui/dialog_start.h"

#include <QDir>
#include <QFileInfo>

namespace
{

QString ExistingFolderOrHome(const QString &folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? QDir::cleanPath(folder)
                                                          : QDir::homePath();
}

} // namespace

QString FolderDialogStart(const QString &folderText)
{
    return ExistingFolderOrHome(QDir::fromNativeSeparators(folderText.trimmed()));
}

QString TemplateDialogStart(const QString &templateText)
{
    const QString path = QDir::fromNativeSeparators(templateText.trimmed());
    // An empty text would otherwise mean the working folder's parent.
    return ExistingFolderOrHome(path.isEmpty() ? path : QFileInfo(path).absolutePath());
}
