#pragma once
// Process-wide paths beside the executable: NUL-terminated local 8-bit byte
// strings, written once at start-up before any other thread exists and only
// read afterwards.

#include <cstddef>

constexpr std::size_t kPathValueSize = 1024;

extern char executablePath[kPathValueSize];
extern char executableDirectory[kPathValueSize];
extern char settingsFilePath[kPathValueSize];

// Fills the three values from the executable's path: the program passes the
// file it runs from (QCoreApplication::applicationFilePath), never argv[0] as
// typed, which holds no folder when started by name from PATH. Returns 0, or
// -1 when the path is null or a value would not fit its buffer; then all
// three are left empty, so the settings read as missing and nothing is
// written anywhere unexpected.
int SetPathValues(const char *executableFile);
