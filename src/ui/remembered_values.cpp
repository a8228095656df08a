#include "ui/remembered_values.h"

#include "app/path_values.h"
#include "settings/settings_store.h"

void LoadSettingsFile()
{
    // A missing file leaves the buffer as it was; it must not show older text.
    if (ReadSettingsText(settingsBuffer, settingsFilePath) != 0)
        settingsBuffer[0] = '\0';
}

QString RememberedValue(const char *key)
{
    char value[kSettingValueSize];
    GetSettingValue(value, settingsBuffer, key);
    return QString::fromLocal8Bit(value);
}

bool RememberValue(const char *key, const QString &value)
{
    constexpr int kFileNotWritten = -2;
    // No path at all: the executable's own had no room in the path buffers.
    if (settingsFilePath[0] == '\0')
        return false;
    return SetSettingValue(settingsFilePath, key, value.toLocal8Bit().constData()) !=
           kFileNotWritten;
}
