#pragma once
// One application at work in a run, with what the run keeps open in it from
// start to end. A run on several threads has one lane per thread, each with
// an application of its own; a lane works on one workbook at a time.

#include "worker/automation.h"
#include "worker/run_outcome.h"
#include "worker/workbook_job.h"

#include <QString>

#include <memory>

enum class LaneState {
    Ready,
    NoApplication,    // the backend offered no workbooks collection
    TemplateUnusable, // the template did not open or has no sheet with cells
};

class RunLane
{
  public:
    using AppPointer = std::unique_ptr<automation::SpreadsheetApp>;

    // Starts the application: hidden, no prompts, its workbooks collection.
    explicit RunLane(AppPointer app);
    // Quits the application and deletes it, which releases every object of
    // the lane.
    virtual ~RunLane();
    RunLane(const RunLane &) = delete;
    RunLane &operator=(const RunLane &) = delete;

    virtual LaneState State() const;
    bool SupportsParallelUse() const { return app_ && app_->SupportsParallelUse(); }
    // One workbook's turn: open, work on the chosen sheets, save, close. The
    // lane is free for the next workbook on return; `finished` receives the
    // result once the save is complete.
    void Process(const QString &path, const WorkbookFinished &finished);

  protected:
    virtual void WorkOnSheet(automation::Sheet &sheet) = 0;
    automation::WorkbookCollection *Books() const { return books_; }

  private:
    AppPointer app_;
    automation::WorkbookCollection *books_ = nullptr;
};

// The unmerge run's lane: the used range of each chosen sheet is unmerged.
class UnmergeLane : public RunLane
{
  public:
    using RunLane::RunLane;

  protected:
    void WorkOnSheet(automation::Sheet &sheet) override;
};
