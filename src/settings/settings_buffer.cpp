#include "settings/settings_store.h"

char settingsBuffer[kSettingsBufferSize] = {};
