#include "worker/merge_object.h"

#include "history/run_backup.h"

#include "worker/folder_walk.h"
#include "worker/lane_executor.h"
#include "worker/readable_template.h"
#include "worker/report_viewer.h"
#include "worker/run_report.h"
#include "worker/status_texts.h"
#include "worker/transform_lane.h"
#include "worker/transform_pass.h"

#include <QDateTime>
#include <QDir>
#include <QThread>

#include <algorithm>

// The front ends' inbox: written while no run is in progress, copied by each
// run as it begins.
RunOptions runOptions;

namespace
{

QFileInfoList ListedFiles(const QStringList &paths)
{
    QFileInfoList files;
    for (const QString &path : paths)
        files << QFileInfo(path);
    return files;
}

} // namespace

// The text is a name the front ends give; no run needs it.
MergeObject::MergeObject(const QString &, QObject *parent)
    : QObject(parent), reportViewer_(ShowInTextViewer), jobs_(QThread::idealThreadCount())
{
    qRegisterMetaType<WorkbookProgress>(); // for queued connections
}

QFileInfoList MergeObject::CollectFiles(QString folderPath)
{
    QSet<QString> visitedFolders;
    return CollectFolderTree(folderPath, visitedFolders);
}

void MergeObject::SetBackends(Backends backends)
{
    backends_ = std::move(backends);
}

void MergeObject::SetAppFactory(const automation::AppFactory &factory)
{
    backends_ = Backends::AllFrom(factory);
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

void MergeObject::Transform()
{
    const RunPlan plan = BeginRun(QStringLiteral("transfer"));
    const QStringList rangeList = RangeList(plan.options);
    // Converted once for every lane; the copy goes when the run ends.
    const ReadableTemplate readable(plan.options.templatePath, backends_);
    templateProblem_ = readable.Problem();
    RunInLanes(plan, [this, &plan, &rangeList, &readable] {
        return std::make_unique<TransformLane>(backends_, plan.options, rangeList, readable.Path());
    });
}

void MergeObject::UnMerge()
{
    const RunPlan plan = BeginRun(QStringLiteral("unmerge"));
    RunInLanes(plan,
               [this, &plan] { return std::make_unique<UnmergeLane>(backends_, plan.options); });
}

MergeObject::RunPlan MergeObject::BeginRun(const QString &job)
{
    outcome_ = RunOutcome();
    lastRunEnd_ = RunEnd::Completed;
    templateProblem_.clear();
    writtenReport_.clear();
    reportProblem_.clear();
    // Taken before the walk, so the summary's time counts the walk too.
    startSeconds_ = QDateTime::currentSecsSinceEpoch();
    RunPlan plan{runOptions, {}, {}};
    plan.workbooks =
        WorkbookPaths(plan.options.workbookList ? ListedFiles(*plan.options.workbookList)
                                                : CollectFiles(plan.options.sourcePath));
    if (plan.options.keepOriginals)
        plan.options.backup = history::RunBackup::Start(plan.options.sourcePath, job,
                                                        plan.workbooks, plan.backupProblem);
    return plan;
}

void MergeObject::RunInLanes(const RunPlan &plan, const LaneMaker &makeLane)
{
    if (!plan.backupProblem.isEmpty())
        return EndWithoutBackup(plan.backupProblem);
    Lanes lanes;
    lanes.push_back(makeLane());
    const LaneState state = lanes.front()->Start();
    if (state == LaneState::NoApplication)
        return EndWithoutApplication();
    if (state == LaneState::TemplateUnusable) {
        if (templateProblem_.isEmpty())
            templateProblem_ = lanes.front()->TemplateProblem();
        lanes.clear(); // template closed, application quit
        return EndWithUnusableTemplate(plan.options);
    }
    if (lanes.front()->SupportsParallelUse())
        AddParallelLanes(lanes, makeLane);
    ProcessWorkbookList(plan.workbooks, lanes);
    lanes.clear(); // templates closed, applications quit: every object of the run released
    if (plan.options.backup)
        plan.options.backup->Close(lastRunEnd_ == RunEnd::Completed, plan.options.keptRuns);
    FinishRun(plan);
}

void MergeObject::AddParallelLanes(Lanes &lanes, const LaneMaker &makeLane) const
{
    while (lanes.size() < static_cast<size_t>(jobs_)) {
        std::unique_ptr<RunLane> lane = makeLane();
        // A lane that cannot start leaves the work to those that did.
        if (lane->Start() != LaneState::Ready)
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

void MergeObject::ProcessWorkbookList(const QStringList &workbooks, const Lanes &lanes)
{
    std::vector<RunLane *> workers;
    for (const auto &lane : lanes)
        workers.push_back(lane.get());
    emit Signal_RunStarted(workbooks.size());
    const TurnReports reports{[this](const QString &path) { emit ShowDisposingFile(path); },
                              [this, &workbooks](size_t position, const WorkbookResult &result) {
                                  ReportResult(workbooks, position, result);
                              }};
    const size_t turns = ProcessInLanes(workbooks, workers, stopRequested_, reports);
    if (turns < static_cast<size_t>(workbooks.size()))
        lastRunEnd_ = RunEnd::Stopped;
}

void MergeObject::ReportResult(const QStringList &workbooks, size_t position,
                               const WorkbookResult &result)
{
    const QString &path = workbooks[static_cast<int>(position)];
    outcome_.Record(path, result);
    emit Signal_WorkbookFinished(
        WorkbookProgress{static_cast<int>(position) + 1, workbooks.size(), path, result});
}

void MergeObject::EndWithoutBackup(const QString &problem)
{
    lastRunEnd_ = RunEnd::NoBackup;
    emit ShowDisposingFile(NoBackupText(problem));
    stopRequested_ = false;
    emit Signal_SetButtonEnable();
}

void MergeObject::EndWithUnusableTemplate(const RunOptions &options)
{
    lastRunEnd_ = RunEnd::TemplateUnusable;
    emit ShowDisposingFile(templateProblem_.isEmpty()
                               ? TemplateUnusableText(options.templatePath)
                               : TemplateUnreadableText(options.templatePath, templateProblem_));
    stopRequested_ = false;
    emit Signal_SetButtonEnable();
}

void MergeObject::FinishRun(const RunPlan &plan)
{
    const qint64 elapsed = QDateTime::currentSecsSinceEpoch() - startSeconds_;
    emit ShowDisposingFile(plan.workbooks.isEmpty() ? NoWorkbooksText()
                                                    : SummaryText(outcome_.doneCount, elapsed));
    if (!outcome_.failures.isEmpty())
        ShowReportOfFailures(plan.options.reportPath);
    stopRequested_ = false;
    emit Signal_SetButtonEnable();
}

void MergeObject::ShowReportOfFailures(const QString &reportPath)
{
    // A report that could not be written is not shown: there is nothing to see.
    if (!WriteRunReport(outcome_.failures, reportPath, &reportProblem_))
        return;
    writtenReport_ = reportPath;
    if (reportViewer_)
        reportViewer_(reportPath);
}
