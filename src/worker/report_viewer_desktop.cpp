#include "worker/report_viewer.h"

#include <QDesktopServices>
#include <QUrl>

void ShowInTextViewer(const QString &filePath)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(filePath));
}
