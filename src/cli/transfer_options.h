#pragma once
// The options of "sheetwright-cli transfer": the template, the ranges or the
// last row of the whole-rows pass, and which pastes to make.

#include "worker/run_options.h"

#include <QCommandLineParser>
#include <QString>

void AddTransferOptions(QCommandLineParser &parser);

// Returns a usage error, or an empty text when the options are fine.
QString FillTransferOptions(const QCommandLineParser &parser, RunOptions &options);
