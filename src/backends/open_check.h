#pragma once
// Whether a run's backend would open a workbook, asked without a run: for
// --dry-run, which must not list a damaged file as one it would process.

#include "worker/backend_routing.h"

#include <QString>

// Why the backend of `kind` would not open the workbook, in its own words;
// empty when it would. The native engine opens the file as a run does and
// closes it unchanged. A workbook for LibreOffice gets the look its backend
// takes before loading it, without starting an office application.
QString OpenProblem(const QString &nativePath, BackendKind kind);
