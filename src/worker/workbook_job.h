#pragma once
// One workbook's turn in a run, independent of the run loop so that each
// lane of a parallel run calls it for its own workbooks: open, work on the
// chosen sheets, save, close.

#include "worker/automation.h"
#include "worker/run_options.h"
#include "worker/run_outcome.h"

#include <functional>

// One chosen sheet's work; returns why the workbook must not be saved, or an
// empty text.
using SheetWork = std::function<QString(automation::Sheet &)>;
// Called once per workbook with its result, when its save is complete: maybe
// after ProcessWorkbook has returned, and on another thread.
using WorkbookFinished = std::function<void(const WorkbookResult &)>;

// A workbook that another program holds open, that does not open, whose work
// refuses it, or whose save fails is a failure with a reason; a refused one is
// closed unsaved. Any other is done, or unchanged when its save wrote nothing.
// Sheets that the backend cannot give are passed over, as a workbook without
// them would be.
void ProcessWorkbook(automation::WorkbookCollection &books, const QString &path,
                     const RunOptions &options, const SheetWork &work,
                     const WorkbookFinished &finished);
