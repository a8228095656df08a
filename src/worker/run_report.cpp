#include "worker/run_report.h"

#include <QSaveFile>

QString RunReportPath(const QString &sourcePath)
{
    return sourcePath + QStringLiteral("无法打开的文件目录(文件格式有误).txt");
}

bool WriteRunReport(const QStringList &failures, const QString &reportPath)
{
    QByteArray bytes;
    for (const QString &path : failures)
        bytes += path.toLocal8Bit() + "\r\n";
    // Written aside and renamed into place, so a report is whole or absent.
    QSaveFile report(reportPath);
    if (!report.open(QIODevice::WriteOnly))
        return false;
    if (report.write(bytes) != bytes.size()) {
        report.cancelWriting();
        report.commit();
        return false;
    }
    return report.commit();
}
