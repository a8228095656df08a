#include "remembered_paths.h"

#include "path_values.h"
#include "settings_store.h"

void LoadSettingsFile()
{
    ReadSettingsText(settingsBuffer, settingsFilePath);
}

QString RememberedPath(const char *key)
{
    char value[kSettingValueSize];
    GetSettingValue(value, settingsBuffer, key);
    return QString::fromLocal8Bit(value);
}

void RememberPath(const char *key, const QString &path)
{
    SetSettingValue(settingsFilePath, key, path.toLocal8Bit().constData());
}
