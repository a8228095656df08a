#include "worker/transform_pass.h"

#include "worker/status_texts.h"

namespace
{

bool IsRangePass(const QString &entry, const RunOptions &options)
{
    return options.appointedRange && !entry.isEmpty();
}

QString TargetAddress(const QString &entry, const RunOptions &options)
{
    // Whole rows land with their first cell on A1.
    return IsRangePass(entry, options) ? entry : QStringLiteral("A1");
}

void PasteAsAsked(automation::CellRange &target, const RunOptions &options)
{
    target.PasteSpecial(automation::PasteColumnWidths);
    if (!options.justColWidth)
        target.PasteSpecial(automation::PasteFormats);
    if (options.withFormulas)
        target.PasteSpecial(automation::PasteFormulas);
    if (options.withValues)
        target.PasteSpecial(automation::PasteValues);
}

} // namespace

QStringList RangeList(const RunOptions &options)
{
    if (!options.appointedRange)
        return {QString()};
    return options.appointedRangeText.split(QLatin1Char(','), Qt::KeepEmptyParts,
                                            Qt::CaseSensitive);
}

QString SourceAddress(const QString &entry, const RunOptions &options)
{
    return IsRangePass(entry, options) ? entry : QStringLiteral("1:") + options.lastRowText;
}

automation::Sheet *UsableTemplateSheet(automation::Workbook *templateBook,
                                       const QStringList &rangeList, const RunOptions &options)
{
    automation::SheetCollection *sheets = templateBook ? templateBook->Sheets() : nullptr;
    automation::Sheet *sheet = sheets ? sheets->Item(1) : nullptr;
    if (!sheet)
        return nullptr;
    for (const QString &entry : rangeList) {
        if (!sheet->Range(SourceAddress(entry, options)))
            return nullptr;
    }
    return sheet;
}

QString TransformPass(automation::Sheet &templateSheet, automation::Sheet &target,
                      const QString &entry, const RunOptions &options)
{
    automation::CellRange *source = templateSheet.Range(SourceAddress(entry, options));
    if (!source)
        return QString();
    source->Copy();
    const QString copyError = source->LastError();
    if (!copyError.isEmpty())
        return TemplateRangeNotCopiedText(copyError);
    if (automation::CellRange *destination = target.Range(TargetAddress(entry, options)))
        PasteAsAsked(*destination, options);
    return QString();
}
