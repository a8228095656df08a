#pragma once
// Whole-file reads and writes for the settings file.

#include <cstddef>
#include <string>
#include <string_view>

// Reads the whole file into `text`. False when it cannot be opened for reading
// or holds more than `maxBytes` bytes.
bool ReadWholeFile(const char *path, std::size_t maxBytes, std::string &text);

// Replaces the contents of an existing, writable file with `bytes` so that a
// failure at any point leaves the old contents whole: the new text goes to a
// temporary file beside it, which takes the file's permissions and is renamed
// over it. False, with the file untouched, on any failure.
bool ReplaceFileContents(const char *path, std::string_view bytes);
