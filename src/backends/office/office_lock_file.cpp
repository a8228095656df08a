#include "backends/office/office_lock_file.h"

#include <QFileInfo>

namespace office
{

QString OfficeLockFileOf(const QString &workbookPath)
{
    const QFileInfo workbook(workbookPath);
    return workbook.absolutePath() + QStringLiteral("/.~lock.") + workbook.fileName() +
           QLatin1Char('#');
}

} // namespace office
