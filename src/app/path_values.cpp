#include "app/path_values.h"

#include "app/platform_names.h"

#include <cstring>

char executablePath[kPathValueSize];
char executableDirectory[kPathValueSize];
char settingsFilePath[kPathValueSize];

namespace
{

void ClearPathValues()
{
    executablePath[0] = '\0';
    executableDirectory[0] = '\0';
    settingsFilePath[0] = '\0';
}

// Length of the directory part, including its last separator; 0 without one.
std::size_t DirectoryLength(const char *path)
{
    const char *lastSeparator = std::strrchr(path, kNativeSeparator);
    return lastSeparator ? static_cast<std::size_t>(lastSeparator - path) + 1 : 0;
}

} // namespace

int SetPathValues(const char *executableFile)
{
    ClearPathValues();
    if (!executableFile)
        return -1;
    const std::size_t pathLength = std::strlen(executableFile);
    const std::size_t directoryLength = DirectoryLength(executableFile);
    const std::size_t settingsLength = directoryLength + std::strlen(kSettingsFileName);
    if (pathLength >= kPathValueSize || settingsLength >= kPathValueSize)
        return -1;

    std::memcpy(executablePath, executableFile, pathLength + 1);
    std::memcpy(executableDirectory, executableFile, directoryLength);
    executableDirectory[directoryLength] = '\0';
    std::memcpy(settingsFilePath, executableDirectory, directoryLength);
    std::memcpy(settingsFilePath + directoryLength, kSettingsFileName,
                std::strlen(kSettingsFileName) + 1);
    return 0;
}
