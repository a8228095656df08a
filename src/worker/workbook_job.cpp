#include "workbook_job.h"

#include "lock_file.h"

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

WorkbookResult ProcessWorkbook(automation::WorkbookCollection &books, const QString &path,
                               const RunOptions &options, const SheetWork &work)
{
    if (IsOpenElsewhere(path))
        return Failed(QStringLiteral("the workbook is open in another program"));
    automation::Workbook *workbook = books.Open(path);
    if (!workbook)
        return Failed(books.LastOpenError());
    WorkOnChosenSheets(*workbook, options, work);
    const bool saved = workbook->Save();
    const QString saveError = saved ? QString() : workbook->LastError();
    workbook->Close(false);
    return saved ? WorkbookResult{true, QString()} : Failed(saveError);
}
