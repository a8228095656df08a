#pragma once
// Hands the workbooks of a run to its lanes, one thread per lane, while what
// the user sees keeps the list order.

#include "worker/run_lane.h"
#include "worker/run_outcome.h"

#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

using TurnStarts = std::function<void(const QString &path)>;
// A workbook's turn has ended: how many have ended so far, this one included,
// its path and result, and the seconds from its turn's start to the end of its save.
using TurnEnds = std::function<void(int ended, const QString &path, const WorkbookResult &result,
                                    double seconds)>;

// Gives every path its turn, in list order. `turnStarts` runs on the calling
// thread with each path just before a lane takes it; `turnEnds` runs on
// whichever thread completes a save, one call at a time. Each lane works on one
// workbook at a time, so no more workbooks than lanes are open at once; a
// single lane works on the calling thread. A lane may take its next workbook
// while the last one's save is being completed. Once `stop` is set no further
// workbook starts, and those in hand are finished. Returns, once every save
// is complete, the results of the workbooks that had their turn, in list
// order.
std::vector<WorkbookResult> ProcessInLanes(const QStringList &paths,
                                           const std::vector<RunLane *> &lanes,
                                           const std::atomic<bool> &stop,
                                           const TurnStarts &turnStarts, const TurnEnds &turnEnds);
