#include "worker/run_lane.h"

#include "worker/status_texts.h"

#include <chrono>

namespace
{

// Adds the seconds from now until the result arrives.
WorkbookFinished Timed(const WorkbookFinished &finished)
{
    const auto start = std::chrono::steady_clock::now();
    return [finished, start](const WorkbookResult &result) {
        WorkbookResult timed = result;
        timed.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        finished(timed);
    };
}

} // namespace

BackendSlot::~BackendSlot()
{
    if (templateBook)
        templateBook->Close(false);
    if (app)
        app->Quit();
}

RunLane::RunLane(const Backends &backends, const RunOptions &options)
    : backends_(backends), options_(options)
{
}

LaneState RunLane::Start()
{
    return StartedSlot(BackendKind::Native).state;
}

bool RunLane::SupportsParallelUse() const
{
    const BackendSlot &native = slots_[static_cast<size_t>(BackendKind::Native)];
    return native.app && native.app->SupportsParallelUse();
}

QString RunLane::TemplateProblem() const
{
    return slots_[static_cast<size_t>(BackendKind::Native)].problem;
}

BackendSlot &RunLane::StartedSlot(BackendKind kind)
{
    BackendSlot &slot = slots_[static_cast<size_t>(kind)];
    if (slot.started)
        return slot;
    slot.started = true;
    const automation::AppFactory &factory = backends_.For(kind);
    slot.app = factory ? factory() : nullptr;
    if (!slot.app)
        return slot;
    slot.app->SetVisible(false);
    slot.app->SetDisplayAlerts(false);
    slot.books = slot.app->WorkBooks();
    if (slot.books)
        slot.state = OpenRunParts(slot);
    return slot;
}

QString RunLane::UnusableReason(BackendKind kind) const
{
    const BackendSlot &slot = slots_[static_cast<size_t>(kind)];
    if (slot.state != LaneState::TemplateUnusable)
        return NoBackendReason(kind);
    // The template opened in the first lane; here, why this backend could not open it.
    const QString why = slot.templateBook ? QString() : slot.books->LastOpenError();
    return why.isEmpty() ? TemplateUnusableText(options_.templatePath)
                         : TemplateUnreadableText(options_.templatePath, why);
}

void RunLane::Process(const QString &path, const WorkbookFinished &finished)
{
    const WorkbookFinished timed = Timed(finished);
    const BackendKind kind = backends_.route(path, Needs());
    BackendSlot &slot = StartedSlot(kind);
    if (slot.state != LaneState::Ready)
        return timed(WorkbookResult::Failure(UnusableReason(kind)));
    ProcessWorkbook(
        *slot.books, path, options_,
        [this, &slot](automation::Sheet &sheet) { return WorkOnSheet(slot, sheet); }, timed);
}

QString UnmergeLane::WorkOnSheet(BackendSlot &, automation::Sheet &sheet)
{
    // A sheet without cells (a chart sheet) has nothing to unmerge.
    if (automation::CellRange *used = sheet.UsedRange())
        used->UnMerge();
    return QString();
}
