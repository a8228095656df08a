#include "worker/report_viewer.h"

#include <QDir>
#include <QProcess>

bool ShowInTextViewer(const QString &filePath)
{
    // The path as one argument of its own: it may hold blanks.
    return QProcess::startDetached(QStringLiteral("notepad.exe"),
                                   {QDir::toNativeSeparators(filePath)});
}
