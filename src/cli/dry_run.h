#pragma once
// --dry-run: what a run would process and why it would leave the rest
// alone, with nothing changed.

#include "worker/backend_routing.h"

#include <QStringList>
#include <QTextStream>

#include <optional>

struct DryRunRequest {
    QString folder;                    // walked when no list is given
    std::optional<QStringList> listed; // the --files-from list
    bool json = false;                 // JSON objects instead of lines
    JobNeeds needs;                    // what the run would do with each workbook
};

// Prints one entry per file (and per hidden folder of the walk), then a
// closing count. Returns the exit status.
int PrintDryRun(const DryRunRequest &request, QTextStream &out);
