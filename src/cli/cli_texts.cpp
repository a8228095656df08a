#include "cli/cli_texts.h"

#include "worker/backend_routing.h"
#include "worker/status_texts.h"

#include <QRegularExpression>

#include <utility>

QString Say(const char *chinese, const char *english)
{
    return QString::fromUtf8(ProcessLanguage() == TextLanguage::Chinese ? chinese : english);
}

QString RunSummaryText(const OutcomeCounts &counts, int workbookCount, qint64 elapsedSeconds)
{
    const bool chinese = ProcessLanguage() == TextLanguage::Chinese;
    if (workbookCount == 0)
        return chinese ? NoWorkbooksText()
                       : QStringLiteral("No workbooks (.xls, .xlsx, .xlsm) found; nothing was "
                                        "changed.");
    if (chinese)
        return SummaryText(counts.done, elapsedSeconds) +
               OutcomeCountsText(counts.failed, counts.unchanged);
    return QStringLiteral("%1 workbook(s) done in %2 s, %3 failed, %4 unchanged.")
        .arg(counts.done)
        .arg(elapsedSeconds)
        .arg(counts.failed)
        .arg(counts.unchanged);
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

QString ReasonText(const QString &reason)
{
    if (ProcessLanguage() == TextLanguage::Chinese)
        return reason;
    // The worker's reasons are the window's Chinese texts, some followed by a
    // detail (a path, an engine's reason) that stays as it is.
    static const std::pair<QString, const char *> kPrefixes[] = {
        {NoBackendReason(BackendKind::Office), "LibreOffice Calc is needed to process .xls files"},
        {NoApplicationText(), "the spreadsheet engine could not start; nothing was changed"},
        {TemplateUnusableText(QString()), "the template cannot be opened: "},
        {TemplateRangeNotCopiedText(QString()), "the template range cannot be copied: "},
    };
    for (const auto &[chinese, english] : kPrefixes) {
        if (reason.startsWith(chinese))
            return QString::fromUtf8(english) + reason.mid(chinese.size());
    }
    return reason;
}

QString RunEndText(RunEnd end, const QString &templatePath, const QString &templateProblem)
{
    if (end == RunEnd::NoApplication)
        return ReasonText(NoApplicationText());
    if (end != RunEnd::TemplateUnusable)
        return QString();
    const QString text = ReasonText(TemplateUnusableText(templatePath));
    return templateProblem.isEmpty()
               ? text
               : Say("%1（%2）", "%1 (%2)").arg(text, ReasonText(templateProblem));
}
