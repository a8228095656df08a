#include "cli/cli_texts.h"

#include "worker/status_texts.h"

#include <QRegularExpression>

#include <utility>

QString Say(const char *chinese, const char *english)
{
    return QString::fromUtf8(ProcessLanguage() == TextLanguage::Chinese ? chinese : english);
}

QString RunSummaryText(int successCount, qint64 elapsedSeconds)
{
    if (ProcessLanguage() == TextLanguage::Chinese)
        return SummaryText(successCount, elapsedSeconds);
    return QStringLiteral("%1 workbook(s) done in %2 s.").arg(successCount).arg(elapsedSeconds);
}

QString ParserErrorText(const QString &qtText)
{
    if (ProcessLanguage() == TextLanguage::English)
        return qtText;
    // The three errors QCommandLineParser reports, each naming one option.
    static const std::pair<const char *, const char *> kPatterns[] = {
        {"^Unknown options?:? '?(.*?)'?\\.$", "未知选项：%1"},
        {"^Missing value after '(.*)'\\.$", "选项 %1 缺少值"},
        {"^Unexpected value after '(.*)'\\.$", "选项 %1 不接受值"},
    };
    for (const auto &[pattern, chinese] : kPatterns) {
        const QRegularExpressionMatch match =
            QRegularExpression(QString::fromLatin1(pattern)).match(qtText);
        if (match.hasMatch())
            return QString::fromUtf8(chinese).arg(match.captured(1));
    }
    return QStringLiteral("参数有误：") + qtText;
}

QString RunEndText(RunEnd end, const QString &templatePath)
{
    const bool chinese = ProcessLanguage() == TextLanguage::Chinese;
    if (end == RunEnd::NoApplication)
        return chinese ? NoApplicationText()
                       : QStringLiteral("no spreadsheet backend is available on this machine");
    if (end != RunEnd::TemplateUnusable)
        return QString();
    return chinese ? TemplateUnusableText(templatePath)
                   : QStringLiteral("the template cannot be opened: ") + templatePath;
}
