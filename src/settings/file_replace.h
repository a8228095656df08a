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

// True when `path` names something, a file or not (a folder, a dangling link).
bool FileExists(const char *path);

// Creates the file `path` holding `bytes`, written beside it first and renamed
// into place, so that it is never seen half-written. False, with nothing left
// behind, when the folder does not let it be made.
bool CreateFileWithContents(const char *path, std::string_view bytes);
