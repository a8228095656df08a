#include "merge_object.h"

#include "run_options.h"
#include "transform_lane.h"
#include "transform_pass.h"

void MergeObject::Transform()
{
    const QFileInfoList entries = BeginRun();
    const QStringList rangeList = SplitRangeList(runOptions.appointedRangeText);
    RunInLanes(entries, [this, &rangeList] {
        return std::make_unique<TransformLane>(appFactory_(), rangeList);
    });
}
