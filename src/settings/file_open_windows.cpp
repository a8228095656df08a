#include "settings/file_open.h"

#include <string>

std::FILE *OpenFile(const std::filesystem::path &path, const char *mode)
{
    const std::string narrowMode(mode); // plain ASCII letters
    return _wfopen(path.c_str(), std::wstring(narrowMode.begin(), narrowMode.end()).c_str());
}
