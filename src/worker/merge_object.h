#pragma once
// The batch worker. It lives on a thread of its own; a front end starts a run
// through a queued signal connected to Transform() or UnMerge(), and learns of
// its progress through ShowDisposingFile() and Signal_SetButtonEnable(), and,
// beside them, through the values of Signal_RunStarted() and
// Signal_WorkbookFinished().

#include "worker/automation.h"
#include "worker/backend_routing.h"
#include "worker/run_lane.h"
#include "worker/run_options.h"
#include "worker/run_outcome.h"

#include <QFileInfoList>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class MergeObject : public QObject
{
    Q_OBJECT
  public:
    using ReportViewer = std::function<void(const QString &reportPath)>;

    MergeObject(const QString &, QObject *parent);

    // The workbook list: depth-first, a folder's files before its sub-folders,
    // each real directory once even when links lead back into the tree.
    QFileInfoList CollectFiles(QString folderPath);

    // Backends of the next runs, chosen by the front end; by default none, so
    // a run finds no application.
    void SetBackends(Backends backends);
    // One backend for every kind of workbook.
    void SetAppFactory(const automation::AppFactory &factory);
    // Workbooks worked on at once, each on a thread with an application of its
    // own; by default one per core. A backend that cannot work in parallel is
    // always run one workbook at a time.
    void SetJobs(int jobs);
    // Shows the run report after a run with failures; an empty function shows
    // nothing. By default the platform's text viewer.
    void SetReportViewer(ReportViewer viewer);

    // Callable from any thread. The running run finishes the workbook in hand
    // (saved and closed), touches no further workbook, and then ends as usual:
    // template closed, application quit, summary, report, completion signal.
    // A request made while no run is going ends the next run before its first
    // workbook. Every run clears the request when it ends.
    void RequestStop();

    // Results of the last run, for front ends without a status line; read them
    // once the run has ended (after its last signal), not while it runs.
    QStringList Failures() const { return outcome_.failures; }
    QStringList FailureReasons() const { return outcome_.reasons; }
    // Workbooks opened and saved, with their changes or as they were.
    int SuccessCount() const { return outcome_.doneCount + outcome_.unchangedCount; }
    int DoneCount() const { return outcome_.doneCount; }
    int UnchangedCount() const { return outcome_.unchangedCount; }
    RunEnd LastRunEnd() const { return lastRunEnd_; }
    // Why the last run's template could not be used (made readable for its
    // backends, or opened: damaged, encrypted, not a workbook), as the
    // backend says it; empty otherwise or when no reason was given.
    QString TemplateProblem() const { return templateProblem_; }
    // The report the last run wrote; empty when it wrote none.
    QString WrittenReport() const { return writtenReport_; }
    // Why the last run's report could not be written; empty otherwise.
    QString ReportProblem() const { return reportProblem_; }

  signals:
    void Signal_SetButtonEnable();
    void ShowDisposingFile(QString filePath);
    // Once a run has started its application and template, before its first
    // workbook: how many workbooks it has.
    void Signal_RunStarted(int workbookCount);
    // Each workbook's result once its save is complete, in workbook-list order
    // (after its ShowDisposingFile text), also when lanes work in parallel.
    void Signal_WorkbookFinished(WorkbookProgress progress);

  public slots:
    void Transform();
    void UnMerge();

  private:
    // What one run works from: its own copy of the run options, taken when it
    // begins, so that no lane reads the front ends' inbox, and its workbooks.
    struct RunPlan {
        RunOptions options;
        QStringList workbooks; // native paths that pass the workbook filter
        QString backupProblem; // why the originals cannot be kept: the run must not start
    };
    using LaneMaker = std::function<std::unique_ptr<RunLane>()>;
    using Lanes = std::vector<std::unique_ptr<RunLane>>;

    RunPlan BeginRun(const QString &job);
    // The run after its workbook list: the first lane decides whether the run
    // can go on; more lanes join it when the backend allows parallel use.
    void RunInLanes(const RunPlan &plan, const LaneMaker &makeLane);
    void AddParallelLanes(Lanes &lanes, const LaneMaker &makeLane) const;
    void ProcessWorkbookList(const QStringList &workbooks, const Lanes &lanes);
    void ReportResult(const QStringList &workbooks, size_t position, const WorkbookResult &result);
    void EndWithoutApplication();
    void EndWithoutBackup(const QString &problem);
    void EndWithUnusableTemplate(const RunOptions &options);
    void FinishRun(const RunPlan &plan);
    void ShowReportOfFailures(const QString &reportPath);

    Backends backends_;
    ReportViewer reportViewer_;
    int jobs_;
    std::atomic<bool> stopRequested_{false};
    RunOutcome outcome_;
    qint64 startSeconds_ = 0;
    RunEnd lastRunEnd_ = RunEnd::Completed;
    QString templateProblem_;
    QString writtenReport_;
    QString reportProblem_;
};
