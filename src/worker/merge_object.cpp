#include "worker/merge_object.h"

#include "worker/default_backend.h"
#include "worker/folder_walk.h"
#include "worker/lane_executor.h"
#include "worker/report_viewer.h"
#include "worker/run_options.h"
#include "worker/run_report.h"
#include "worker/status_texts.h"
#include "worker/workbook_filter.h"

#include <QDateTime>
#include <QThread>

#include <algorithm>

// The text is a name the front ends give; no run needs it.
MergeObject::MergeObject(const QString &, QObject *parent)
    : QObject(parent), appFactory_(DefaultAppFactory()), reportViewer_(ShowInTextViewer),
      jobs_(QThread::idealThreadCount())
{
    qRegisterMetaType<RunProgress>();
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

void MergeObject::SetJobs(int jobs)
{
    jobs_ = std::max(jobs, 1);
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

void MergeObject::RunInLanes(const QFileInfoList &entries, const LaneMaker &makeLane)
{
    Lanes lanes;
    lanes.push_back(makeLane());
    const LaneState state = lanes.front()->State();
    if (state == LaneState::NoApplication)
        return EndWithoutApplication();
    if (state == LaneState::TemplateUnusable) {
        lanes.clear(); // template closed, application quit
        return EndWithUnusableTemplate();
    }
    if (lanes.front()->SupportsParallelUse())
        AddParallelLanes(lanes, makeLane);
    ProcessWorkbookList(entries, lanes);
    lanes.clear(); // templates closed, applications quit: every object of the run released
    FinishRun();
}

void MergeObject::AddParallelLanes(Lanes &lanes, const LaneMaker &makeLane) const
{
    while (lanes.size() < static_cast<size_t>(jobs_)) {
        std::unique_ptr<RunLane> lane = makeLane();
        // A lane that cannot start leaves the work to those that did.
        if (lane->State() != LaneState::Ready)
            return;
        lanes.push_back(std::move(lane));
    }
}

void MergeObject::EndWithoutApplication()
{
    lastRunEnd_ = RunEnd::NoApplication;
    emit ShowDisposingFile(NoApplicationText());
    // No completion signal: the run buttons stay disabled, since no run can
    // succeed on this machine.
    stopRequested_ = false;
}

void MergeObject::ProcessWorkbookList(const QFileInfoList &entries, const Lanes &lanes)
{
    const QStringList paths = WorkbookPaths(entries);
    std::vector<RunLane *> workers;
    for (const auto &lane : lanes)
        workers.push_back(lane.get());
    emit RunProgressed(RunProgress{0, static_cast<int>(paths.size()), QString(),
                                   WorkbookOutcome::Done, QString(), 0});
    const auto turnEnds = [this, &paths](int ended, const QString &path,
                                         const WorkbookResult &result, double seconds) {
        const WorkbookOutcome outcome =
            result.done ? WorkbookOutcome::Done : WorkbookOutcome::Failed;
        emit RunProgressed(RunProgress{ended, static_cast<int>(paths.size()), path, outcome,
                                       result.reason, seconds});
    };
    const std::vector<WorkbookResult> results = ProcessInLanes(
        paths, workers, stopRequested_,
        [this](const QString &path) { emit ShowDisposingFile(path); }, turnEnds);
    for (size_t i = 0; i < results.size(); ++i)
        outcome_.Record(paths[static_cast<int>(i)], results[i]);
    if (results.size() < static_cast<size_t>(paths.size()))
        lastRunEnd_ = RunEnd::Stopped;
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
