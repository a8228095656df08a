#include "worker/report_viewer.h"

#include <QDir>
#include <QProcess>

void ShowInTextViewer(const QString &filePath)
{
    QProcess::startDetached(QStringLiteral("notepad.exe ") + QDir::toNativeSeparators(filePath));
}
