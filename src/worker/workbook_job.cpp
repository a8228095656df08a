#include "worker/workbook_job.h"

#include "worker/lock_file.h"

namespace
{

bool IsChosenSheet(automation::Sheet &sheet, const RunOptions &options)
{
    return !options.appointedSheet || sheet.Name() == options.appointedSheetName;
}

void WorkOnChosenSheets(automation::Workbook &workbook, const RunOptions &options,
                        const SheetWork &work)
{
    automation::SheetCollection *sheets = workbook.Sheets();
    if (!sheets)
        return;
    // Counted even when only sheet 1 is wanted, so every backend sees the same calls.
    const int sheetCount = sheets->Count();
    const int count = options.onlyFirstSheet ? 1 : sheetCount;
    for (int i = 1; i <= count; ++i) {
        automation::Sheet *sheet = sheets->Item(i);
        if (sheet && IsChosenSheet(*sheet, options))
            work(*sheet);
    }
}

WorkbookResult Failed(const QString &reason)
{
    return WorkbookResult{false, reason};
}

} // namespace

void ProcessWorkbook(automation::WorkbookCollection &books, const QString &path,
                     const RunOptions &options, const SheetWork &work,
                     const WorkbookFinished &finished)
{
    if (IsOpenElsewhere(path))
        return finished(Failed(QStringLiteral("the workbook is open in another program")));
    automation::Workbook *workbook = books.Open(path);
    if (!workbook)
        return finished(Failed(books.LastOpenError()));
    WorkOnChosenSheets(*workbook, options, work);
    workbook->SaveAndClose([finished](bool saved, const QString &error) {
        finished(saved ? WorkbookResult{true, QString()} : Failed(error));
    });
}
