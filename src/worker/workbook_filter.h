#pragma once

#include <QString>

// True for a workbook the runs process: a name ending in .xls, .xlsx or .xlsm
// in any letter case, with no "~$" anywhere in the path (lock files and
// everything below a folder whose name holds it).
bool IsWorkbookFile(const QString &nativePath);
