// Windows calls a console control handler on a thread of its own, so the
// handler may stop the run itself. Ctrl+C and Ctrl+Break answer as SIGINT
// would (130); closing the console, logging off or shutting down as SIGTERM.

#include "cli/stop_signals.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace
{

std::mutex stopMutex;
std::function<void(int)> onStop;
std::atomic<bool> signalled{false};

int ExitCodeOf(DWORD event)
{
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 130 : 143;
}

BOOL WINAPI StopOnControl(DWORD event)
{
    if (signalled.exchange(true))
        std::_Exit(ExitCodeOf(event));
    const std::lock_guard<std::mutex> lock(stopMutex);
    if (onStop)
        onStop(ExitCodeOf(event));
    return TRUE;
}

} // namespace

void OnStopSignals(std::function<void(int exitCode)> stop)
{
    const std::lock_guard<std::mutex> lock(stopMutex);
    const bool wasSet = static_cast<bool>(onStop);
    onStop = std::move(stop);
    signalled = false;
    if (static_cast<bool>(onStop) != wasSet)
        ::SetConsoleCtrlHandler(StopOnControl, onStop ? TRUE : FALSE);
}
