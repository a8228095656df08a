#pragma once
// A newly started copy of the program ends the oldest copy already running
// under the same executable name. Returns 1 when a copy was told to end.
int ApplyInstanceRule(const char *executableName);
