#pragma once
// File operations that keep a workbook's content safe: a second name for it
// without copying, and replacing it in one step.

#include <QString>

namespace history
{

// Gives the file `existing` the further name `link` (a hard link); false
// where the filesystem cannot (another device, a share without links).
bool MakeHardLink(const QString &existing, const QString &link);

// Renames `from` over `to` in one step: `to` is never missing or half-written.
bool ReplaceFile(const QString &from, const QString &to);

} // namespace history
