#include "merge_object.h"

#include "default_backend.h"
#include "folder_walk.h"
#include "report_viewer.h"
#include "run_options.h"
#include "run_report.h"
#include "status_texts.h"
#include "workbook_filter.h"

#include <QDateTime>
#include <QDir>

// The text is a name the front ends give; no run needs it.
MergeObject::MergeObject(const QString &, QObject *parent)
    : QObject(parent), appFactory_(DefaultAppFactory()), reportViewer_(ShowInTextViewer)
{
}

QFileInfoList MergeObject::CollectFiles(QString folderPath)
{
    QSet<QString> visitedFolders;
    return CollectFolderTree(folderPath, visitedFolders);
}

void MergeObject::SetAppFactory(automation::AppFactory factory)
{
    appFactory_ = std::move(factory);
}

void MergeObject::SetReportViewer(ReportViewer viewer)
{
    reportViewer_ = std::move(viewer);
}

void MergeObject::RequestStop()
{
    stopRequested_ = true;
}

QFileInfoList MergeObject::BeginRun()
{
    outcome_ = RunOutcome();
    lastRunEnd_ = RunEnd::Completed;
    // Taken before the walk, so the summary's time counts the walk too.
    startSeconds_ = QDateTime::currentSecsSinceEpoch();
    return CollectFiles(runOptions.sourcePath);
}

automation::WorkbookCollection *MergeObject::StartApplication(automation::SpreadsheetApp *app)
{
    if (!app)
        return nullptr;
    app->SetVisible(false);
    app->SetDisplayAlerts(false);
    return app->WorkBooks();
}

void MergeObject::EndWithoutApplication(automation::SpreadsheetApp *app)
{
    lastRunEnd_ = RunEnd::NoApplication;
    emit ShowDisposingFile(NoApplicationText());
    if (app)
        app->Quit();
    // No completion signal: the run buttons stay disabled, since no run can
    // succeed on this machine.
    stopRequested_ = false;
}

void MergeObject::ProcessWorkbookList(automation::WorkbookCollection &books,
                                      const QFileInfoList &entries, const SheetWork &work)
{
    for (const QFileInfo &entry : entries) {
        const QString path = QDir::toNativeSeparators(entry.filePath());
        if (!IsWorkbookFile(path))
            continue;
        if (stopRequested_) {
            lastRunEnd_ = RunEnd::Stopped;
            return;
        }
        emit ShowDisposingFile(path);
        outcome_.Record(path, ProcessWorkbook(books, path, runOptions, work));
    }
}

void MergeObject::EndWithUnusableTemplate()
{
    lastRunEnd_ = RunEnd::TemplateUnusable;
    emit ShowDisposingFile(TemplateUnusableText(runOptions.templatePath));
    stopRequested_ = false;
    emit Signal_SetButtonEnable();
}

void MergeObject::FinishRun()
{
    const qint64 elapsed = QDateTime::currentSecsSinceEpoch() - startSeconds_;
    emit ShowDisposingFile(SummaryText(outcome_.successCount, elapsed));
    if (!outcome_.failures.isEmpty())
        ShowReportOfFailures();
    stopRequested_ = false;
    emit Signal_SetButtonEnable();
}

void MergeObject::ShowReportOfFailures()
{
    // A report that could not be written is not shown: there is nothing to see.
    if (WriteRunReport(outcome_.failures, runOptions.reportPath) && reportViewer_)
        reportViewer_(runOptions.reportPath);
}
