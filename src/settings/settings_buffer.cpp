#include "settings_store.h"

char settingsBuffer[kSettingsBufferSize] = {};
