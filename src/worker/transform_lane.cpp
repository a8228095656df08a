#include "worker/transform_lane.h"

#include "worker/transform_pass.h"

TransformLane::TransformLane(const Backends &backends, const RunOptions &options,
                             QStringList rangeList)
    : RunLane(backends, options), rangeList_(std::move(rangeList))
{
}

LaneState TransformLane::OpenRunParts(BackendSlot &slot)
{
    slot.templateBook = slot.books->Open(Options().templatePath);
    slot.templateSheet = UsableTemplateSheet(slot.templateBook, rangeList_, Options());
    return slot.templateSheet ? LaneState::Ready : LaneState::TemplateUnusable;
}

QString TransformLane::WorkOnSheet(BackendSlot &slot, automation::Sheet &sheet)
{
    for (const QString &entry : rangeList_) {
        const QString refusal = TransformPass(*slot.templateSheet, sheet, entry, Options());
        if (!refusal.isEmpty())
            return refusal;
    }
    return QString();
}
