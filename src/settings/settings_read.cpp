#include "settings/settings_store.h"

#include "settings/file_open.h"

#include <cstdio>

// The buffer that ReadSettingsText fills at start-up.
char settingsBuffer[kSettingsBufferSize] = {};

int ReadSettingsText(char *buffer, const char *path)
{
    std::FILE *file = OpenFile(PathOf(path), "rb");
    if (!file)
        return -1;
    const std::size_t length = std::fread(buffer, 1, kSettingsBufferSize - 1, file);
    std::fclose(file);
    buffer[length] = '\0';
    return 0;
}
