// A signal handler may only do async-signal-safe work, so it writes one byte
// into a pipe; the event loop watches the other end and quits there.

#include "app/termination_request.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace
{

int wakeFds[2] = {-1, -1};

extern "C" void WriteWakeByte(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFds[1], &byte, 1);
}

} // namespace

void QuitOnTerminationRequest(QCoreApplication &application)
{
    if (wakeFds[0] >= 0 || pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [] {
        char byte;
        while (read(wakeFds[0], &byte, 1) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = WriteWakeByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
}
