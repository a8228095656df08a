#include "merge_object.h"

#include "run_lane.h"

void MergeObject::UnMerge()
{
    const QFileInfoList entries = BeginRun();
    RunInLanes(entries, [this] { return std::make_unique<UnmergeLane>(appFactory_()); });
}
