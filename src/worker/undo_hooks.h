#pragma once
// What every front end's undo needs from the worker's side: the lock-file
// check and the run report's format.

#include "history/run_undo.h"

// A workbook another program has open is not restored; a report left after a
// partial undo lists, as a run's report does, the workbooks not restored.
history::UndoHooks StandardUndoHooks();
