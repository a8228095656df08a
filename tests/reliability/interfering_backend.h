#pragma once
// The native backend with another program stepping in: a hook runs just
// before each workbook is saved, after it was opened and worked on, so a
// test can delete or replace the file at the worst moment.

#include "worker/automation.h"

#include <QString>

#include <functional>

using SaveHook = std::function<void(const QString &path)>;

automation::AppFactory InterferingAppFactory(SaveHook beforeSave);
