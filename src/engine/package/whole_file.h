#pragma once
// A file read whole into memory, for the formats the engine holds whole
// (the compound file of a legacy .xls).

#include "engine/error.h"

#include <cstdint>
#include <string>

namespace engine
{

// False, with the reason, when the file cannot be read or is larger than `limit`.
bool ReadWholeFile(const std::string &path, std::uint64_t limit, std::string &bytes, Error &error);

} // namespace engine
