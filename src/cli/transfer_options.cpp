#include "cli/transfer_options.h"

#include "backends/range_check.h"
#include "cli/cli_texts.h"

#include <QDir>
#include <QFileInfo>

namespace
{

const QCommandLineOption &TemplateOption()
{
    static const QCommandLineOption option(
        QStringLiteral("template"),
        Say("模板工作簿；其第一个工作表存放要复制的格式。",
            "The template workbook; its first sheet holds the formats to copy."),
        QStringLiteral("FILE"));
    return option;
}

const QCommandLineOption &RangeOption()
{
    static const QCommandLineOption option(
        QStringLiteral("range"),
        Say("以逗号分隔的要复制的区域，各自复制到相同位置，例如 \"B2:D9,F1:F20\"；"
            "空的一项复制整行。",
            "Comma-separated addresses to copy, each onto the same place, e.g. "
            "\"B2:D9,F1:F20\"; an empty entry copies the whole rows."),
        QStringLiteral("RANGES"));
    return option;
}

const QCommandLineOption &LastRowOption()
{
    static const QCommandLineOption option(
        QStringLiteral("last-row"),
        Say("不给 --range 时：把第 1 到 N 行复制到 A1（1 到 1048576，默认 100）。",
            "Without --range: copy rows 1 to N onto A1 (1 to 1048576, default 100)."),
        QStringLiteral("N"), QStringLiteral("100"));
    return option;
}

const QCommandLineOption &WidthsOnlyOption()
{
    static const QCommandLineOption option(QStringLiteral("widths-only"),
                                           Say("只粘贴列宽。", "Paste column widths only."));
    return option;
}

const QCommandLineOption &FormulasOption()
{
    static const QCommandLineOption option(
        QStringLiteral("formulas"),
        Say("同时粘贴公式和常量。", "Also paste formulas and constants."));
    return option;
}

const QCommandLineOption &ValuesOption()
{
    static const QCommandLineOption option(
        QStringLiteral("values"),
        Say("同时粘贴值（公式的结果）。", "Also paste values (formula results)."));
    return option;
}

QString FillRange(const QCommandLineParser &parser, RunOptions &options)
{
    options.appointedRange = parser.isSet(RangeOption());
    // as the window does: full-width colons count as colons
    options.appointedRangeText = parser.value(RangeOption()).replace(QChar(0xFF1A), ':');
    const QString invalid =
        options.appointedRange ? FirstInvalidRangeEntry(options.appointedRangeText) : QString();
    return invalid.isNull() ? QString()
                            : Say("指定区域写法有误：", "not a valid range address: ") + invalid;
}

} // namespace

QList<QCommandLineOption> TransferOptions()
{
    return {TemplateOption(),   RangeOption(),    LastRowOption(),
            WidthsOnlyOption(), FormulasOption(), ValuesOption()};
}

QString FillTransferOptions(const QCommandLineParser &parser, RunOptions &options)
{
    if (!parser.isSet(TemplateOption()))
        return Say("--template 必须指向一个工作簿文件", "--template must name a workbook file");
    const QFileInfo templateFile(parser.value(TemplateOption()));
    if (!templateFile.isFile())
        return Say("模板文件不存在：", "no such template file: ") + parser.value(TemplateOption());
    options.templatePath = QDir::toNativeSeparators(templateFile.absoluteFilePath());
    bool number = false;
    const int lastRow = parser.value(LastRowOption()).toInt(&number);
    if (!number || lastRow < 1 || lastRow > 1048576)
        return Say("--last-row 必须是 1 到 1048576 之间的数",
                   "--last-row must be a number from 1 to 1048576");
    options.lastRowText = QString::number(lastRow);
    options.justColWidth = parser.isSet(WidthsOnlyOption());
    options.withFormulas = parser.isSet(FormulasOption());
    options.withValues = parser.isSet(ValuesOption());
    return FillRange(parser, options);
}
