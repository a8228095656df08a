#pragma once
// The automation interface served by our own spreadsheet engine: no office
// application needed, and every byte a run does not change stays as it was.

#include "automation.h"

#include <memory>

std::unique_ptr<automation::SpreadsheetApp> CreateNativeApp();
