#pragma once

#include <QString>

// True when a spreadsheet program has left its lock file beside the workbook,
// that is, someone has it open and would lose our changes or theirs.
bool IsOpenElsewhere(const QString &workbookPath);
