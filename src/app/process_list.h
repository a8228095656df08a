#pragma once
// Running processes by executable file name (the bare name, compared byte by
// byte and case-sensitively), oldest first. The three functions at the end
// are implemented once per platform.

#include <string>
#include <vector>

struct RunningProcess {
    long pid = 0;
    unsigned long long startTicks = 0; // orders the processes by age
    std::string owner;                 // the account it runs for (user id, SID)
    std::string session;               // the login or desktop session it belongs to
};

// Number of running processes with that name, whoever runs them; 0 for a null
// name or when the process list cannot be read.
int CountProcessesNamed(const char *name);

// Ends the oldest running process with that name that runs for the calling
// process's account in its session. The calling process is never ended: when
// it is itself the oldest such copy, nothing is ended. Returns 1 when a
// process was found and told to end, else 0.
int TerminateProcessNamed(const char *name);

// The oldest of `copies` (listed oldest first) that runs for the same account
// in the same session as `self`, unless that is `self`; null when there is none.
const RunningProcess *CopyToReplace(const std::vector<RunningProcess> &copies,
                                    const RunningProcess &self);

// Running processes with that name, oldest first; none for a null name.
std::vector<RunningProcess> ProcessesNamed(const char *name);
// The calling process, described as ProcessesNamed describes the others.
RunningProcess ThisProcess();
// Asks the process to end; it may finish the work in hand first.
void RequestProcessEnd(long pid);
