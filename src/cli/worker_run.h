#pragma once
// A run of the worker on the calling thread, printed as the arguments ask.

#include "cli/cli_command.h"

#include <QStringList>
#include <QTextStream>

#include <optional>

struct RunRequest {
    int jobs = 1;
    std::optional<QStringList> listed; // --files-from: the workbooks instead of the walk
    bool quiet = false;
    bool json = false;
};

// Performs the command's run with the global run options; returns the exit
// status.
int PerformRun(const CliCommand &command, const RunRequest &request, QTextStream &out,
               QTextStream &err);
