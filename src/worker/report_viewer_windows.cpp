#include "worker/report_viewer.h"

#include <QDir>
#include <QProcess>

bool ShowInTextViewer(const QString &filePath)
{
    return QProcess::startDetached(QStringLiteral("notepad.exe ") +
                                   QDir::toNativeSeparators(filePath));
}
