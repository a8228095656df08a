#pragma once

#include <QString>

#include <string>

// A path as the engine takes it: the file system's own bytes on POSIX
// systems, UTF-8 on Windows.
std::string EnginePath(const QString &path);
