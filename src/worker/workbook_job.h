#pragma once
// One workbook's turn in a run, independent of the run loop so that each
// lane of a parallel run calls it for its own workbooks: open, work on the
// chosen sheets, save, close.

#include "worker/automation.h"
#include "worker/run_options.h"
#include "worker/run_outcome.h"

#include <functional>

using SheetWork = std::function<void(automation::Sheet &)>;
// Called once per workbook with its result, when its save is complete: maybe
// after ProcessWorkbook has returned, and on another thread.
using WorkbookFinished = std::function<void(const WorkbookResult &)>;

// A workbook that another program holds open, that does not open, or whose
// save fails is a failure with a reason; any other is done. Sheets that the
// backend cannot give are passed over, as a workbook without them would be.
void ProcessWorkbook(automation::WorkbookCollection &books, const QString &path,
                     const RunOptions &options, const SheetWork &work,
                     const WorkbookFinished &finished);
