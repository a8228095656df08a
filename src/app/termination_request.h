#pragma once

class QCoreApplication;

// Turns a polite request to end the process (SIGTERM, as sent by a newer copy
// of the program) into an ordinary quit of the event loop, so the window is
// destroyed normally: a run in progress finishes and saves the workbook in
// hand, and the process exits with code 0.
void QuitOnTerminationRequest(QCoreApplication &application);
