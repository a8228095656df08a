#pragma once
// The automation interface served by our own spreadsheet engine: no office
// application needed, and every byte a run does not change stays as it was.

#include "automation.h"

#include <memory>

// One application with snapshots of its own.
std::unique_ptr<automation::SpreadsheetApp> CreateNativeApp();
// Applications for a run on several threads: those alive at the same time
// take each template range's snapshot once and share it.
automation::AppFactory NativeAppFactory();
