#pragma once
// Hands the workbooks of a run to its lanes, one thread per lane, while what
// the user sees keeps the list order.

#include "worker/run_lane.h"
#include "worker/run_outcome.h"

#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

// Both run on the calling thread, in list order: `starts` with each path just
// before a lane takes it, `ends` with each result (by list position) once it
// and those of every earlier workbook have arrived.
struct TurnReports {
    std::function<void(const QString &path)> starts;
    std::function<void(size_t position, const WorkbookResult &result)> ends;
};

// Gives every path its turn, in list order. Each lane works on one workbook
// at a time, so no more workbooks than lanes are open at once; a single lane
// works on the calling thread. A lane may take its next workbook while the
// last one's save is being completed. Once `stop` is set no further workbook
// starts, and those in hand are finished. Returns, once every save is
// complete and reported, how many workbooks had their turn.
size_t ProcessInLanes(const QStringList &paths, const std::vector<RunLane *> &lanes,
                      const std::atomic<bool> &stop, const TurnReports &reports);
