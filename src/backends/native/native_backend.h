#pragma once
// The automation interface served by our own spreadsheet engine: no office
// application needed, and every byte a run does not change stays as it was.

#include "worker/automation.h"

#include <functional>
#include <memory>
#include <string>

// One application with snapshots of its own.
std::unique_ptr<automation::SpreadsheetApp> CreateNativeApp();
// Runs just before a save's last step (the flush and replacement of the
// file), on the thread that finishes it, with the file it replaces; tests let
// another program step in there.
using NativeFinishHook = std::function<void(const std::string &targetPath)>;

// Applications for a run on several threads: those alive at the same time
// take each template range's snapshot once and share it.
automation::AppFactory NativeAppFactory(const NativeFinishHook &beforeFinish = {});
