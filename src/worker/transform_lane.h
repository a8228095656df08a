#pragma once
// The format transfer's lane: the template stays open in the lane's
// application for the whole run, and each chosen sheet gets one pass per
// entry of the range list.

#include "worker/run_lane.h"

#include <QStringList>

class TransformLane : public RunLane
{
  public:
    // Opens the template and takes its first sheet.
    TransformLane(AppPointer app, QStringList rangeList);
    // Closes the template without saving, before the application quits.
    ~TransformLane() override;

    LaneState State() const override;

  protected:
    void WorkOnSheet(automation::Sheet &sheet) override;

  private:
    QStringList rangeList_;
    automation::Workbook *templateBook_ = nullptr;
    automation::Sheet *templateSheet_ = nullptr;
};
