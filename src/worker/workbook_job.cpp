#include "worker/workbook_job.h"

#include "history/run_backup.h"
#include "worker/lock_file.h"

#include <QFileInfo>

namespace
{

bool IsChosenSheet(automation::Sheet &sheet, const RunOptions &options)
{
    return !options.appointedSheet || sheet.Name() == options.appointedSheetName;
}

// Stops at the first sheet whose work refuses the workbook, with the reason.
QString WorkOnChosenSheets(automation::Workbook &workbook, const RunOptions &options,
                           const SheetWork &work)
{
    automation::SheetCollection *sheets = workbook.Sheets();
    if (!sheets)
        return QString();
    // Counted even when only sheet 1 is wanted, so every backend sees the same calls.
    const int sheetCount = sheets->Count();
    const int count = options.onlyFirstSheet ? 1 : sheetCount;
    for (int i = 1; i <= count; ++i) {
        automation::Sheet *sheet = sheets->Item(i);
        const QString refusal = sheet && IsChosenSheet(*sheet, options) ? work(*sheet) : QString();
        if (!refusal.isEmpty())
            return refusal;
    }
    return QString();
}

WorkbookResult Saved(const automation::Workbook &workbook)
{
    return WorkbookResult{workbook.SavedWithoutChange() ? WorkbookOutcome::Unchanged
                                                        : WorkbookOutcome::Done,
                          QString()};
}

void OpenWorkSave(automation::WorkbookCollection &books, const QString &path,
                  const RunOptions &options, const SheetWork &work,
                  const WorkbookFinished &finished)
{
    automation::Workbook *workbook = books.Open(path);
    if (!workbook)
        return finished(WorkbookResult::Failure(books.LastOpenError()));
    const QString refusal = WorkOnChosenSheets(*workbook, options, work);
    if (!refusal.isEmpty()) {
        workbook->Close(false); // the file stays as it was
        return finished(WorkbookResult::Failure(refusal));
    }
    // The workbook outlives its closing, until its application is deleted.
    workbook->SaveAndClose([finished, workbook](bool saved, const QString &error) {
        finished(saved ? Saved(*workbook) : WorkbookResult::Failure(error));
    });
}

} // namespace

void ProcessWorkbook(automation::WorkbookCollection &books, const QString &path,
                     const RunOptions &options, const SheetWork &work,
                     const WorkbookFinished &finished)
{
    // Named by a list, not found by the walk: it may not be there at all.
    if (!QFileInfo::exists(path))
        return finished(WorkbookResult::Failure(QStringLiteral("the workbook was not found")));
    if (IsOpenElsewhere(path))
        return finished(
            WorkbookResult::Failure(QStringLiteral("the workbook is open in another program")));
    QString keepError;
    if (options.backup && !options.backup->Keep(path, keepError))
        return finished(WorkbookResult::Failure(keepError));
    const WorkbookFinished kept = [backup = options.backup, path,
                                   finished](const WorkbookResult &result) {
        if (backup)
            backup->Finish(path, result.outcome == WorkbookOutcome::Done);
        finished(result);
    };
    OpenWorkSave(books, path, options, work, kept);
}
