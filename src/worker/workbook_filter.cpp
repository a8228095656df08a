#include "worker/workbook_filter.h"

#include <QDir>

bool IsWorkbookFile(const QString &nativePath)
{
    const QString lower = nativePath.toLower();
    const bool workbookSuffix = lower.endsWith(QLatin1String(".xls")) ||
                                lower.endsWith(QLatin1String(".xlsx")) ||
                                lower.endsWith(QLatin1String(".xlsm"));
    return workbookSuffix && !nativePath.contains(QLatin1String("~$"));
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
