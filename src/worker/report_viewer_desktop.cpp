#include "worker/report_viewer.h"

#include <QDesktopServices>
#include <QUrl>

bool ShowInTextViewer(const QString &filePath)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(filePath));
}
