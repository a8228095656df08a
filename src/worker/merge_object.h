#pragma once
// The batch worker. It lives on a thread of its own; a front end starts a run
// through a queued signal connected to Transform() or UnMerge(), and learns of
// its progress only through ShowDisposingFile() and Signal_SetButtonEnable().

#include "worker/automation.h"
#include "worker/run_lane.h"
#include "worker/run_outcome.h"
#include "worker/run_progress.h"

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

    // Backend of the next run; by default DefaultAppFactory().
    void SetAppFactory(automation::AppFactory factory);
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
    int SuccessCount() const { return outcome_.successCount; }
    RunEnd LastRunEnd() const { return lastRunEnd_; }

  signals:
    void Signal_SetButtonEnable();
    void ShowDisposingFile(QString filePath);
    // Beside the status texts: once with the number of workbooks as the list
    // is ready, then once as each workbook's turn ends.
    void RunProgressed(RunProgress progress);

  public slots:
    void Transform();
    void UnMerge();

  private:
    using LaneMaker = std::function<std::unique_ptr<RunLane>()>;
    using Lanes = std::vector<std::unique_ptr<RunLane>>;

    QFileInfoList BeginRun();
    // The run after its workbook list: the first lane decides whether the run
    // can go on; more lanes join it when the backend allows parallel use.
    void RunInLanes(const QFileInfoList &entries, const LaneMaker &makeLane);
    void AddParallelLanes(Lanes &lanes, const LaneMaker &makeLane) const;
    void ProcessWorkbookList(const QFileInfoList &entries, const Lanes &lanes);
    void EndWithoutApplication();
    void EndWithUnusableTemplate();
    void FinishRun();
    void ShowReportOfFailures();

    automation::AppFactory appFactory_;
    ReportViewer reportViewer_;
    int jobs_;
    std::atomic<bool> stopRequested_{false};
    RunOutcome outcome_;
    qint64 startSeconds_ = 0;
    RunEnd lastRunEnd_ = RunEnd::Completed;
};
