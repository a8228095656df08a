#pragma once
// fopen for the settings file. Its path is UTF-8 on Windows and the system's
// own bytes elsewhere; Windows opens it by its wide name, whatever the
// system's code page.

#include <cstdio>
#include <filesystem>

// The path as std::filesystem holds it; empty (no file) for a Windows path
// that is not UTF-8.
std::filesystem::path PathOf(const char *path);

std::FILE *OpenFile(const std::filesystem::path &path, const char *mode);
