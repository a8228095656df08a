#pragma once
// SIGINT (Ctrl+C) and SIGTERM ask a run to stop as its Stop button does: the
// workbook in hand is finished or abandoned, LibreOffice ended, the summary
// printed. A second signal ends the program at once.

#include <functional>

// From this call on, each of those signals calls `stop`, on a thread of its
// own, with the exit code the signal asks for (130, 143). An empty `stop`
// gives the signals back their usual effect.
void OnStopSignals(std::function<void(int exitCode)> stop);
