#include "worker/status_texts.h"
// Our sources are UTF-8, so the literals are too, whatever the locale. The
// status line's texts go through the window's translator; without one (the
// CLI, a Chinese locale) they are the Chinese as written.

#include <QCoreApplication>

// The engine is built in and needs no office suite; only .xls workbooks need
// LibreOffice Calc. This is said when the engine itself could not start.
QString NoApplicationText()
{
    return QCoreApplication::translate(
        "StatusTexts", "表格引擎无法启动，未改动任何文件（本程序无需安装Office或WPS；"
                       "部分.xls操作需LibreOffice Calc）。");
}

QString TemplateUnusableText(const QString &templatePath)
{
    return QCoreApplication::translate("StatusTexts", "模板文件无法打开：%1").arg(templatePath);
}

QString TemplateUnreadableText(const QString &templatePath, const QString &problem)
{
    return QCoreApplication::translate("StatusTexts", "模板文件无法打开：%1（%2）")
        .arg(templatePath, problem);
}

QString SummaryText(int doneCount, qint64 elapsedSeconds)
{
    return QCoreApplication::translate("StatusTexts", "成功设置%1个Excel文件,耗时%2秒。")
        .arg(doneCount)
        .arg(elapsedSeconds);
}

QString OutcomeCountsText(int failedCount, int unchangedCount)
{
    return QCoreApplication::translate("StatusTexts", "失败%1个，未改动%2个。")
        .arg(failedCount)
        .arg(unchangedCount);
}

QString NoWorkbooksText()
{
    return QCoreApplication::translate(
        "StatusTexts", "文件夹中没有找到Excel工作簿（.xls、.xlsx、.xlsm），未做任何改动。");
}

QString ReportNotWrittenText(const QString &reportPath, const QString &problem)
{
    return QCoreApplication::translate("StatusTexts", "运行报告无法写入：%1（%2）")
        .arg(reportPath, problem);
}

QString ReportPlaceText(const QString &reportPath)
{
    return QCoreApplication::translate("StatusTexts", "失败的文件已列在运行报告中：%1")
        .arg(reportPath);
}

// A reason that the window reads back (ui/failure_reasons.cpp) and the CLI
// prints, so it stays as written.
QString TemplateRangeNotCopiedText(const QString &reason)
{
    return QStringLiteral("模板区域无法复制：") + reason;
}

QString NoBackupText(const QString &problem)
{
    return QCoreApplication::translate("StatusTexts", "无法保留原文件以便撤销，未做任何改动：%1")
        .arg(problem);
}
