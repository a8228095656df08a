#pragma once

#include <QFileInfoList>
#include <QString>
#include <QStringList>

// True for a workbook the runs process: a name ending in .xls, .xlsx or .xlsm
// in any letter case, with no "~$" anywhere in the path (lock files and
// everything below a folder whose name holds it).
bool IsWorkbookFile(const QString &nativePath);

// The native paths of the workbooks among the entries of a workbook list, in
// list order: what a run works through.
QStringList WorkbookPaths(const QFileInfoList &entries);
