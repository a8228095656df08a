#pragma once

#include <cstdio>

// Pushes the written bytes of `file` to the disk before it is renamed into place.
bool FlushFileToDisk(std::FILE *file);
