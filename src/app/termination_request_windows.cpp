// A newer copy sets this process's named quit event; the event loop watches
// it and quits there.

#include "app/termination_request.h"

#include "app/quit_event_windows.h"

#include <QCoreApplication>
#include <QWinEventNotifier>

#include <windows.h>

void QuitOnTerminationRequest(QCoreApplication &application)
{
    static HANDLE quit = nullptr; // lives as long as the process
    if (quit)
        return;
    quit = CreateEventW(nullptr, TRUE, FALSE, QuitEventName(GetCurrentProcessId()).c_str());
    if (!quit)
        return;
    auto *notifier = new QWinEventNotifier(quit, &application);
    QObject::connect(notifier, &QWinEventNotifier::activated, &application,
                     [] { QCoreApplication::quit(); });
}
