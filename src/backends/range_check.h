#pragma once
// Checking a range text before a run: the entries between commas must be
// addresses the engine accepts, so a typing error is refused up front
// instead of every workbook being saved unchanged and counted as done.

#include <QString>

// The first entry that is not a valid address, or a null QString when all
// are valid. An empty entry is valid: it stands for the whole rows.
QString FirstInvalidRangeEntry(const QString &rangeText);
