#include "worker/transform_lane.h"

#include "worker/transform_pass.h"

TransformLane::TransformLane(const Backends &backends, const RunOptions &options,
                             QStringList rangeList, QString readableTemplatePath)
    : RunLane(backends, options), rangeList_(std::move(rangeList)),
      readableTemplatePath_(std::move(readableTemplatePath))
{
}

LaneState TransformLane::OpenRunParts(BackendSlot &slot)
{
    if (readableTemplatePath_.isEmpty())
        return LaneState::TemplateUnusable;
    slot.templateBook = slot.books->Open(readableTemplatePath_);
    if (!slot.templateBook)
        slot.problem = slot.books->LastOpenError();
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
