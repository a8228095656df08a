#pragma once
// The copy-and-paste passes of the format transfer.

#include "worker/automation.h"
#include "worker/run_options.h"

#include <QStringList>

// The entries of the run's passes: the range text split at ",", empty entries
// kept, while ranges are on; one whole-rows entry while they are off, whatever
// text an earlier run left. Never fewer than one entry.
QStringList RangeList(const RunOptions &options);

// The template address of a pass: the entry itself, or the whole rows from 1
// to the last row when ranges are off or the entry is empty.
QString SourceAddress(const QString &entry, const RunOptions &options);

// The template's first sheet, or null when the template has none or a pass
// could not take its range from it (a sheet without cells).
automation::Sheet *UsableTemplateSheet(automation::Workbook *templateBook,
                                       const QStringList &rangeList, const RunOptions &options);

// Copies the pass's range from the template sheet and pastes widths, then
// formats, formulas and values as the options ask, onto the target sheet.
// A range the backend cannot give ends the pass without touching the target.
// A copy that fails touches nothing either: the reason comes back, and the
// target workbook must not be saved.
QString TransformPass(automation::Sheet &templateSheet, automation::Sheet &target,
                      const QString &entry, const RunOptions &options);
