#include "worker/status_texts.h"
// Our sources are UTF-8, so the literals are too, whatever the locale. The
// status line's texts go through the window's translator; without one (the
// CLI, a Chinese locale) they are the Chinese as written.

#include <QCoreApplication>

QString NoApplicationText()
{
    return QCoreApplication::translate(
        "StatusTexts", "本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!");
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

QString SummaryText(int successCount, qint64 elapsedSeconds)
{
    return QCoreApplication::translate("StatusTexts", "成功设置%1个Excel文件,耗时%2秒。")
        .arg(successCount)
        .arg(elapsedSeconds);
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
