#include "worker/status_texts.h"
// Our sources are UTF-8, so the literals are too, whatever the locale.

QString NoApplicationText()
{
    return QStringLiteral(
        "本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!");
}

QString TemplateUnusableText(const QString &templatePath)
{
    return QStringLiteral("模板文件无法打开：") + templatePath;
}

QString SummaryText(int successCount, qint64 elapsedSeconds)
{
    return QStringLiteral("成功设置") + QString::number(successCount) +
           QStringLiteral("个Excel文件,") + QStringLiteral("耗时") +
           QString::number(elapsedSeconds) + QStringLiteral("秒。");
}

QString TemplateRangeNotCopiedText(const QString &reason)
{
    return QStringLiteral("模板区域无法复制：") + reason;
}

QString NoBackupText(const QString &problem)
{
    return QStringLiteral("无法保留原文件以便撤销，未做任何改动：") + problem;
}
