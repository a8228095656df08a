#include "worker/transform_lane.h"

#include "worker/run_options.h"
#include "worker/transform_pass.h"

TransformLane::TransformLane(AppPointer app, QStringList rangeList)
    : RunLane(std::move(app)), rangeList_(std::move(rangeList))
{
    if (!Books())
        return;
    templateBook_ = Books()->Open(runOptions.templatePath);
    templateSheet_ = UsableTemplateSheet(templateBook_, rangeList_, runOptions);
}

TransformLane::~TransformLane()
{
    if (templateBook_)
        templateBook_->Close(false);
}

LaneState TransformLane::State() const
{
    if (!Books())
        return LaneState::NoApplication;
    return templateSheet_ ? LaneState::Ready : LaneState::TemplateUnusable;
}

void TransformLane::WorkOnSheet(automation::Sheet &sheet)
{
    for (const QString &entry : rangeList_)
        TransformPass(*templateSheet_, sheet, entry, runOptions);
}
