#pragma once
// The format transfer's lane: the template stays open in each slot's
// application for the whole run, and each chosen sheet gets one pass per
// entry of the range list.

#include "worker/run_lane.h"

#include <QStringList>

class TransformLane : public RunLane
{
  public:
    TransformLane(const Backends &backends, const RunOptions &options, QStringList rangeList);

  protected:
    // Opens the template and takes its first sheet.
    LaneState OpenRunParts(BackendSlot &slot) override;
    QString WorkOnSheet(BackendSlot &slot, automation::Sheet &sheet) override;

  private:
    QStringList rangeList_;
};
