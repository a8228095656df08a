#include "worker/run_report.h"

#include <QDir>
#include <QSaveFile>

QString RunReportPath(const QString &sourcePath)
{
    // A folder typed or pasted without a final separator would otherwise put
    // the report beside the folder, under a name beginning with the folder's.
    QString folder = sourcePath;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) &&
        !folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder + QStringLiteral("无法打开的文件目录(文件格式有误).txt");
}

bool WriteRunReport(const QStringList &failures, const QString &reportPath, QString *error)
{
    QByteArray bytes;
    for (const QString &path : failures)
        bytes += path.toLocal8Bit() + "\r\n";
    // Written aside and renamed into place, so a report is whole or absent.
    QSaveFile report(reportPath);
    const bool written = report.open(QIODevice::WriteOnly) &&
                         report.write(bytes) == bytes.size() && report.commit();
    if (!written && error)
        *error = report.errorString();
    return written;
}
