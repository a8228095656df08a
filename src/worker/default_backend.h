#pragma once
// The backend a run uses unless a front end or a test chooses another.

#include "automation.h"

automation::AppFactory DefaultAppFactory();
