#pragma once
// One sub-command of sheetwright-cli: its own options on top of the shared
// ones (folder, sheet choice), how they fill the run options, and which run
// of the worker it starts.

#include "worker/merge_object.h"
#include "worker/run_options.h"

#include <QCommandLineParser>
#include <QString>

#include <vector>

struct CliCommand {
    QString name;
    QString summary;
    // Adds the command's own options; may be empty.
    void (*addOptions)(QCommandLineParser &parser) = nullptr;
    // Fills the command's own run options; returns a usage error, or an empty
    // text when the options are fine. May be empty.
    QString (*fillOptions)(const QCommandLineParser &parser, RunOptions &options) = nullptr;
    void (MergeObject::*run)() = nullptr;
};

// Every command the program knows, in the order --help lists them.
const std::vector<CliCommand> &CliCommands();
