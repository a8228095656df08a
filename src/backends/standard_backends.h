#pragma once
// The backends a front end hands to the worker: the native engine for the
// workbooks it edits, and LibreOffice for legacy .xls ones where this build
// and the machine have it.

#include "worker/backend_routing.h"

Backends StandardBackends();
