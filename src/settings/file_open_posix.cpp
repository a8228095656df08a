#include "settings/file_open.h"

std::FILE *OpenFile(const std::filesystem::path &path, const char *mode)
{
    return std::fopen(path.c_str(), mode);
}
