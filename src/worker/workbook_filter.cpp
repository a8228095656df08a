#include "worker/workbook_filter.h"

bool IsWorkbookFile(const QString &nativePath)
{
    const QString lower = nativePath.toLower();
    const bool workbookSuffix = lower.endsWith(QLatin1String(".xls")) ||
                                lower.endsWith(QLatin1String(".xlsx")) ||
                                lower.endsWith(QLatin1String(".xlsm"));
    return workbookSuffix && !nativePath.contains(QLatin1String("~$"));
}
