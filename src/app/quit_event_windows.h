#pragma once
// The named event by which a newer copy asks a running copy to quit: the
// Windows counterpart of SIGTERM.

#include <string>

inline std::wstring QuitEventName(unsigned long pid)
{
    return L"Local\\Sheetwright-quit-" + std::to_wstring(pid);
}
