#pragma once
// The backend a run uses unless a front end or a test chooses another.

#include "worker/automation.h"

automation::AppFactory DefaultAppFactory();
