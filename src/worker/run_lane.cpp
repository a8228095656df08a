#include "worker/run_lane.h"

#include "worker/run_options.h"

RunLane::RunLane(AppPointer app) : app_(std::move(app))
{
    if (!app_)
        return;
    app_->SetVisible(false);
    app_->SetDisplayAlerts(false);
    books_ = app_->WorkBooks();
}

RunLane::~RunLane()
{
    if (app_)
        app_->Quit();
}

LaneState RunLane::State() const
{
    return books_ ? LaneState::Ready : LaneState::NoApplication;
}

void RunLane::Process(const QString &path, const WorkbookFinished &finished)
{
    ProcessWorkbook(
        *books_, path, runOptions, [this](automation::Sheet &sheet) { WorkOnSheet(sheet); },
        finished);
}

void UnmergeLane::WorkOnSheet(automation::Sheet &sheet)
{
    // A sheet without cells (a chart sheet) has nothing to unmerge.
    if (automation::CellRange *used = sheet.UsedRange())
        used->UnMerge();
}
