#include "merge_object.h"

namespace
{

void UnmergeUsedRange(automation::Sheet &sheet)
{
    // A sheet without cells (a chart sheet) has nothing to unmerge.
    if (automation::CellRange *used = sheet.UsedRange())
        used->UnMerge();
}

} // namespace

void MergeObject::UnMerge()
{
    const QFileInfoList entries = BeginRun();
    AppPointer app = appFactory_();
    automation::WorkbookCollection *books = StartApplication(app.get());
    if (!books)
        return EndWithoutApplication(app.get());
    ProcessWorkbookList(*books, entries, UnmergeUsedRange);
    app->Quit();
    app.reset(); // releases every object of the run
    FinishRun();
}
