#pragma once
// The engine's UTF-8 paths as the UTF-16 the Windows calls take.

#include <string>

namespace engine
{

// Bytes that are not UTF-8 become U+FFFD: such a path names no file.
std::wstring WidePath(const std::string &path);

} // namespace engine
