#pragma once
// One thread's share of a run: a slot per backend kind, each with its own
// application and what the run keeps open in it from start to end. A run on
// several threads has one lane per thread; a lane works on one workbook at a
// time, and sends each to the slot of its kind.

#include "worker/automation.h"
#include "worker/backend_routing.h"
#include "worker/run_options.h"
#include "worker/workbook_job.h"

#include <QString>

#include <array>
#include <memory>

enum class LaneState {
    Ready,
    NoApplication,    // the backend offered no workbooks collection
    TemplateUnusable, // the template did not open or has no sheet with cells
};

// One backend's application in a lane. Releasing it closes the template
// without saving, then quits the application, which releases every object
// the slot obtained.
struct BackendSlot {
    BackendSlot() = default;
    ~BackendSlot();
    BackendSlot(const BackendSlot &) = delete;
    BackendSlot &operator=(const BackendSlot &) = delete;

    std::unique_ptr<automation::SpreadsheetApp> app;
    automation::WorkbookCollection *books = nullptr;
    automation::Workbook *templateBook = nullptr; // transfers only
    automation::Sheet *templateSheet = nullptr;   // the template's first sheet
    bool started = false;
    LaneState state = LaneState::NoApplication;
    QString problem; // why the template did not open, as the backend says it
};

class RunLane
{
  public:
    // Both outlive the lane.
    RunLane(const Backends &backends, const RunOptions &options);
    virtual ~RunLane() = default;
    RunLane(const RunLane &) = delete;
    RunLane &operator=(const RunLane &) = delete;

    // Starts the native slot, whose state decides whether the run can go on.
    // The other slots start when their first workbook comes.
    LaneState Start();
    bool SupportsParallelUse() const;
    // Why the native slot could not open the template; empty when it did or
    // when the backend gave no reason.
    QString TemplateProblem() const;
    // One workbook's turn: open, work on the chosen sheets, save, close. The
    // lane is free for the next workbook on return; `finished` receives the
    // result once the save is complete.
    void Process(const QString &path, const WorkbookFinished &finished);

  protected:
    // Opens in a started slot what the run keeps open there until its end.
    virtual LaneState OpenRunParts(BackendSlot &) { return LaneState::Ready; }
    // Returns why the workbook must not be saved, or an empty text.
    virtual QString WorkOnSheet(BackendSlot &slot, automation::Sheet &sheet) = 0;
    const RunOptions &Options() const { return options_; }

  private:
    BackendSlot &StartedSlot(BackendKind kind);
    QString UnusableReason(BackendKind kind) const;

    const Backends &backends_;
    const RunOptions &options_;
    std::array<BackendSlot, 2> slots_; // by BackendKind
};

// The unmerge run's lane: the used range of each chosen sheet is unmerged.
class UnmergeLane : public RunLane
{
  public:
    using RunLane::RunLane;

  protected:
    QString WorkOnSheet(BackendSlot &slot, automation::Sheet &sheet) override;
};
