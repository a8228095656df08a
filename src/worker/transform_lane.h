#pragma once
// The format transfer's lane: the template stays open in each slot's
// application for the whole run, and each chosen sheet gets one pass per
// entry of the range list.

#include "worker/run_lane.h"

#include <QStringList>

class TransformLane : public RunLane
{
  public:
    // Every slot reads the template at `readableTemplatePath`: the user's
    // file, or the .xlsx converted from an .xls one; empty when none could be.
    TransformLane(const Backends &backends, const RunOptions &options, QStringList rangeList,
                  QString readableTemplatePath);

  protected:
    // Opens the template and takes its first sheet.
    LaneState OpenRunParts(BackendSlot &slot) override;
    QString WorkOnSheet(BackendSlot &slot, automation::Sheet &sheet) override;
    JobNeeds Needs() const override;

  private:
    QStringList rangeList_;
    QString readableTemplatePath_;
};
