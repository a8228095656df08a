#include "worker/lock_file.h"

#include <QFileInfo>

bool IsOpenElsewhere(const QString &workbookPath)
{
    const QFileInfo workbook(workbookPath);
    const QString folder = workbook.absolutePath() + QLatin1Char('/');
    const QString name = workbook.fileName();
    // Microsoft Office and LibreOffice name their lock files these two ways.
    return QFileInfo::exists(folder + QStringLiteral("~$") + name) ||
           QFileInfo::exists(folder + QStringLiteral(".~lock.") + name + QLatin1Char('#'));
}
