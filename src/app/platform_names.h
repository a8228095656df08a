#pragma once
// Names that differ between platforms. The instance rule looks for the
// program's own constant name, never for the name the file really has.

#ifdef _WIN32
constexpr char kExecutableName[] = "Sheetwright.exe";
constexpr char kNativeSeparator = '\\';
#else
constexpr char kExecutableName[] = "Sheetwright";
constexpr char kNativeSeparator = '/';
#endif

constexpr char kSettingsFileName[] = "Sheetwright.orv";
