#include "cli/transfer_options.h"

#include "worker/range_check.h"

#include <QDir>
#include <QFileInfo>

namespace
{

const QCommandLineOption kTemplateOption(
    QStringLiteral("template"),
    QStringLiteral("The template workbook; its first sheet holds the formats to copy."),
    QStringLiteral("FILE"));
const QCommandLineOption
    kRangeOption(QStringLiteral("range"),
                 QStringLiteral("Comma-separated addresses to copy, each onto the same place, e.g. "
                                "\"B2:D9,F1:F20\"; an empty entry copies the whole rows."),
                 QStringLiteral("RANGES"));
const QCommandLineOption kLastRowOption(
    QStringLiteral("last-row"),
    QStringLiteral("Without --range: copy rows 1 to N onto A1 (1 to 1048576, default 100)."),
    QStringLiteral("N"), QStringLiteral("100"));
const QCommandLineOption kWidthsOnlyOption(QStringLiteral("widths-only"),
                                           QStringLiteral("Paste column widths only."));
const QCommandLineOption kFormulasOption(QStringLiteral("formulas"),
                                         QStringLiteral("Also paste formulas and constants."));
const QCommandLineOption kValuesOption(QStringLiteral("values"),
                                       QStringLiteral("Also paste values (formula results)."));

QString FillRange(const QCommandLineParser &parser, RunOptions &options)
{
    options.appointedRange = parser.isSet(kRangeOption);
    // as the window does: full-width colons count as colons
    options.appointedRangeText = parser.value(kRangeOption).replace(QChar(0xFF1A), ':');
    const QString invalid =
        options.appointedRange ? FirstInvalidRangeEntry(options.appointedRangeText) : QString();
    return invalid.isNull() ? QString() : QStringLiteral("指定区域写法有误：") + invalid;
}

} // namespace

void AddTransferOptions(QCommandLineParser &parser)
{
    parser.addOptions({kTemplateOption, kRangeOption, kLastRowOption, kWidthsOnlyOption,
                       kFormulasOption, kValuesOption});
}

QString FillTransferOptions(const QCommandLineParser &parser, RunOptions &options)
{
    const QFileInfo templateFile(parser.value(kTemplateOption));
    if (!parser.isSet(kTemplateOption) || !templateFile.isFile())
        return QStringLiteral("--template must name a workbook file");
    options.templatePath = QDir::toNativeSeparators(templateFile.absoluteFilePath());
    bool number = false;
    const int lastRow = parser.value(kLastRowOption).toInt(&number);
    if (!number || lastRow < 1 || lastRow > 1048576)
        return QStringLiteral("--last-row must be a number from 1 to 1048576");
    options.lastRowText = QString::number(lastRow);
    options.justColWidth = parser.isSet(kWidthsOnlyOption);
    options.withFormulas = parser.isSet(kFormulasOption);
    options.withValues = parser.isSet(kValuesOption);
    return FillRange(parser, options);
}
