#pragma once
// The soffice process of one office instance, started directly so that we
// hold its real PID: the watchdog can end it, and it ends with us.

#include <QString>

namespace office
{

struct OfficeLaunch {
    QString program;      // soffice.bin
    QString profileUrl;   // -env:UserInstallation
    QString pipeName;     // --accept=pipe,name=...
    QString temporaryDir; // its TMPDIR: a killed soffice leaves lu*.tmp folders there
    QString logPath;      // its standard output and error
};

// The PID, or -1 when it could not be started. The process is killed when
// this process dies (parent-death signal), so a crash leaves no soffice.
long StartOfficeProcess(const OfficeLaunch &launch);
// True when the process has ended (it is then reaped); `exitCode` is its code,
// or 128 plus the signal that ended it.
bool OfficeProcessEnded(long pid, int &exitCode);
// Ends the process at once and reaps it.
void KillOfficeProcess(long pid);
// Ends the process at once; whoever waits for it reaps it.
void SignalOfficeProcessKill(long pid);
// Waits up to `milliseconds` for the process to end by itself, then kills it.
void AwaitOfficeProcess(long pid, int milliseconds);
// Resident memory in kilobytes, 0 when unknown.
long OfficeMemoryKilobytes(long pid);
// True when some process has this PID (used for profiles of earlier runs).
bool ProcessExists(long pid);
// The account this process runs for.
unsigned CurrentUserId();

} // namespace office
