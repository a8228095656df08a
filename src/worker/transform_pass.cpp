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

} // namespace

std::vector<int> PastesAsked(const RunOptions &options)
{
    std::vector<int> pastes{automation::PasteColumnWidths};
    if (!options.justColWidth)
        pastes.push_back(automation::PasteFormats);
    if (options.withFormulas)
        pastes.push_back(automation::PasteFormulas);
    if (options.withValues)
        pastes.push_back(automation::PasteValues);
    return pastes;
}

JobNeeds TransferNeeds(const RunOptions &options)
{
    JobNeeds needs;
    needs.pastes = PastesAsked(options);
    needs.wholeRows = RangeList(options).contains(QString());
    return needs;
}

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
        for (int pasteType : PastesAsked(options))
            destination->PasteSpecial(pasteType);
    return QString();
}
