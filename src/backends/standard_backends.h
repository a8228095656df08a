#pragma once
// The backends a front end hands to the worker: the native engine for the
// workbooks it edits.

#include "worker/backend_routing.h"

Backends StandardBackends();
