#include "worker/merge_object.h"

#include "worker/run_lane.h"

void MergeObject::UnMerge()
{
    const QFileInfoList entries = BeginRun();
    RunInLanes(entries, [this] { return std::make_unique<UnmergeLane>(appFactory_()); });
}
