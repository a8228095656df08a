#pragma once
// The key-value settings file: "key=value" lines ended by CR LF, in the local
// 8-bit code page. Plain functions on NUL-terminated byte strings; no state
// beyond the process-wide settings buffer.

#include <cstddef>

// The whole file as read at start-up, with room for its terminating NUL.
constexpr std::size_t kSettingsBufferSize = 10240;
// Callers pass value buffers of this size (value plus its terminator).
constexpr std::size_t kSettingValueSize = 1024;
// One written line: key, "=", value, CR LF.
constexpr std::size_t kSettingLineMax = 2045;

// Zero-filled at process start; filled once by ReadSettingsText.
extern char settingsBuffer[kSettingsBufferSize];

// Reads the file at `path` into `buffer` (kSettingsBufferSize bytes) and
// NUL-terminates it. A longer file is read only as far as it fits, so its
// last lines read as absent. Returns 0, or -1 (buffer untouched) when the
// file cannot be opened for reading.
int ReadSettingsText(char *buffer, const char *path);

// Copies the value of `key` in `text` into `out` (kSettingValueSize bytes),
// trimmed of blanks and tabs; the empty string when the key is absent, its
// line has no line break, or the value does not fit into `out`. A line ends
// at CR LF as written, or at a lone LF as a hand-edited file may end it.
void GetSettingValue(char *out, const char *text, const char *key);

// Replaces the line of `key` in the file at `path` in place, or appends it;
// a missing file is created with that one line. Returns 0 when the file was
// written; -1, leaving the file as it was, when the value holds an LF or ends
// in a CR, or the value, the new line or the new text would exceed the limits
// above; -2, leaving the file as it was, when it cannot be read, rewritten or
// created (a folder that is not writable, a full disk).
int SetSettingValue(const char *path, const char *key, const char *value);
