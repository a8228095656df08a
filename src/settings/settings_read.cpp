#include "settings/settings_store.h"

#include <cstdio>

int ReadSettingsText(char *buffer, const char *path)
{
    std::FILE *file = std::fopen(path, "rb");
    if (!file)
        return -1;
    const std::size_t length = std::fread(buffer, 1, kSettingsBufferSize - 1, file);
    std::fclose(file);
    buffer[length] = '\0';
    return 0;
}
