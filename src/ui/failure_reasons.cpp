#include "ui/failure_reasons.h"

#include "worker/status_texts.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace
{

struct KnownReason {
    const char *pattern; // matched against the backend's reason, ignoring case
    const char *said;    // the window's words, through its translator
};

// Earlier entries win: a save that failed because of a read-only file is a
// failed save, whatever else its reason says.
const KnownReason kKnownReasons[] = {
    {"open in another program", QT_TRANSLATE_NOOP("FailureReasons", "文件正在被其他程序打开")},
    {"encrypted", QT_TRANSLATE_NOOP("FailureReasons", "文件已加密（有密码保护）")},
    // Only the missing application: LibreOffice's own failures keep their words.
    {"需要安装 LibreOffice|LibreOffice Calc (is needed|must be installed)",
     QT_TRANSLATE_NOOP("FailureReasons", "需要安装 LibreOffice Calc 才能处理 .xls 文件")},
    {"legacy binary workbook",
     QT_TRANSLATE_NOOP("FailureReasons", "旧版 .xls 文件，需要安装 LibreOffice Calc 才能处理")},
    {"read-only", QT_TRANSLATE_NOOP("FailureReasons", "保存失败：文件是只读的")},
    {"cannot (write|replace|save|flush|keep|create a temporary)|was not written",
     QT_TRANSLATE_NOOP("FailureReasons", "保存失败")},
    {"is empty \\(0 bytes\\)", QT_TRANSLATE_NOOP("FailureReasons", "文件是空的（0字节）")},
    {"not a zip archive|no spreadsheet workbook|has no part",
     QT_TRANSLATE_NOOP("FailureReasons", "不是Excel工作簿")},
    {"damaged|unreadable|not a readable zip|cannot read|two entries named|has no relationship",
     QT_TRANSLATE_NOOP("FailureReasons", "文件已损坏")},
    {"memory|too many|exceed|limit",
     QT_TRANSLATE_NOOP("FailureReasons", "文件过大或过于复杂，超出处理限制")},
};

// A template range that could not be copied, as the backends word it, with
// the cause after the colon.
const QRegularExpression
    kTemplateCopy(QStringLiteral("(template range cannot be copied|the copy failed):?\\s*(.*)$"),
                  QRegularExpression::CaseInsensitiveOption);

QString TemplateCopyText(const QString &cause)
{
    return QCoreApplication::translate("FailureReasons", "模板区域无法复制：%1").arg(cause);
}

// The run's own wording of a template copy whose cause no pattern knows.
QString WorkerTemplateCopyCause(const QString &reason)
{
    const QString prefix = TemplateRangeNotCopiedText(QString());
    return reason.startsWith(prefix) ? reason.mid(prefix.size()) : QString();
}

} // namespace

QString ReasonInWindowLanguage(const QString &reason)
{
    const QRegularExpressionMatch templateCopy = kTemplateCopy.match(reason);
    if (templateCopy.hasMatch())
        return TemplateCopyText(templateCopy.captured(2));
    for (const KnownReason &known : kKnownReasons) {
        const QRegularExpression pattern(QString::fromUtf8(known.pattern),
                                         QRegularExpression::CaseInsensitiveOption);
        if (pattern.match(reason).hasMatch())
            return QCoreApplication::translate("FailureReasons", known.said);
    }
    const QString cause = WorkerTemplateCopyCause(reason);
    return cause.isEmpty() ? reason : TemplateCopyText(cause);
}
