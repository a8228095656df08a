#pragma once
// What the window remembers from one use of the program to the next, kept in
// the settings file beside the executable.

#include <QString>

constexpr char kSourcePathKey[] = "SourcePath";
constexpr char kTemplatePathKey[] = "TemplatePath";

// Reads the settings file into the settings buffer; done once per window.
void LoadSettingsFile();

// The value of `key` in the settings buffer; empty when absent.
QString RememberedValue(const char *key);

// Stores `value` under `key` in the settings file at once, creating the file
// when it is missing; the buffer is not refreshed. False when the file could
// not be written (its folder is not writable); a value the file cannot hold
// is left out without that.
bool RememberValue(const char *key, const QString &value);
