#include "worker/merge_object.h"

#include "worker/run_options.h"
#include "worker/transform_lane.h"
#include "worker/transform_pass.h"

void MergeObject::Transform()
{
    const QFileInfoList entries = BeginRun();
    const QStringList rangeList = SplitRangeList(runOptions.appointedRangeText);
    RunInLanes(entries, [this, &rangeList] {
        return std::make_unique<TransformLane>(appFactory_(), rangeList);
    });
}
