#include "settings/file_open.h"

#include <exception>

std::filesystem::path PathOf(const char *path)
{
    try {
        return std::filesystem::u8path(path); // the bytes as they are, but on Windows
    } catch (const std::exception &) {
        return std::filesystem::path();
    }
}
