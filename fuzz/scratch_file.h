#pragma once
// The engine reads and saves workbooks by path, so each fuzz input is
// written to a file of this process's own scratch folder (in memory where
// the machine has /dev/shm, so saves cost no disk flushes).

#include <cstddef>
#include <cstdint>
#include <string>

// A folder private to this process, removed when it exits.
const std::string &ScratchFolder();

// Writes the bytes to the scratch folder's input file and returns its path.
std::string WriteScratchFile(const std::uint8_t *data, std::size_t size);
