#pragma once
// The workbook list of a run: the folder walk, and the filter that picks the
// workbooks out of it.

#include <QFileInfoList>
#include <QSet>
#include <QString>
#include <QStringList>

// Appends the files below folderPath, depth-first and pre-order, names in
// case-insensitive order; hidden files are in, file links and hidden folders
// are out. Folders whose real path is already in visitedFolders are passed
// over, so linked folders are followed but a link cycle ends.
QFileInfoList CollectFolderTree(const QString &folderPath, QSet<QString> &visitedFolders);

// True for a workbook the runs process: a name ending in .xls, .xlsx or .xlsm
// in any letter case, with no "~$" anywhere in the path (lock files and
// everything below a folder whose name holds it).
bool IsWorkbookFile(const QString &nativePath);

// The native paths of the workbooks among the entries of a workbook list, in
// list order: what a run works through.
QStringList WorkbookPaths(const QFileInfoList &entries);
