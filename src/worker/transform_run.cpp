#include "merge_object.h"

#include "run_options.h"
#include "transform_pass.h"

void MergeObject::Transform()
{
    const QFileInfoList entries = BeginRun();
    AppPointer app = appFactory_();
    automation::WorkbookCollection *books = StartApplication(app.get());
    if (!books)
        return EndWithoutApplication(app.get());

    automation::Workbook *templateBook = books->Open(runOptions.templatePath);
    const QStringList rangeList = SplitRangeList(runOptions.appointedRangeText);
    automation::Sheet *templateSheet = UsableTemplateSheet(templateBook, rangeList, runOptions);
    if (templateSheet) {
        ProcessWorkbookList(*books, entries, [&](automation::Sheet &target) {
            for (const QString &entry : rangeList)
                TransformPass(*templateSheet, target, entry, runOptions);
        });
    }
    if (templateBook)
        templateBook->Close(false);
    app->Quit();
    app.reset(); // releases every object of the run
    if (templateSheet)
        FinishRun();
    else
        EndWithUnusableTemplate();
}
