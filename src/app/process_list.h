#pragma once
// Running processes by executable file name (the bare name, compared byte by
// byte and case-sensitively), oldest first. Implemented once per platform.

// Number of running processes with that name; 0 for a null name or when the
// process list cannot be read.
int CountProcessesNamed(const char *name);

// Ends the oldest running process with that name. The calling process is
// never ended: when it is itself the oldest, no older copy exists and nothing
// is ended. Returns 1 when a process was found and told to end, else 0.
int TerminateProcessNamed(const char *name);
