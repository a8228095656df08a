// A signal handler may only do async-signal-safe work: it writes the
// signal's number into a pipe, and a thread reading the other end stops.

#include "cli/stop_signals.h"

#include <fcntl.h>
#include <mutex>
#include <signal.h>
#include <thread>
#include <unistd.h>

namespace
{

int wakeFds[2] = {-1, -1};
volatile sig_atomic_t signalled = 0;
std::mutex stopMutex;
std::function<void(int)> onStop;

extern "C" void WriteSignal(int signal)
{
    if (signalled)
        ::_exit(128 + signal);
    signalled = 1;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[1], &byte, 1);
}

void DeliverSignals()
{
    char signal = 0;
    while (::read(wakeFds[0], &signal, 1) == 1) {
        const std::lock_guard<std::mutex> lock(stopMutex);
        if (onStop)
            onStop(128 + signal);
    }
}

void Handle(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM})
        ::sigaction(signal, &action, nullptr);
}

} // namespace

void OnStopSignals(std::function<void(int exitCode)> stop)
{
    const std::lock_guard<std::mutex> lock(stopMutex);
    if (wakeFds[0] < 0) {
        if (::pipe2(wakeFds, O_CLOEXEC) != 0)
            return;
        std::thread(DeliverSignals).detach();
    }
    onStop = std::move(stop);
    signalled = 0;
    Handle(onStop ? WriteSignal : SIG_DFL);
}
