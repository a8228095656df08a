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
// in any letter case that is not an office lock file.
bool IsWorkbookFile(const QString &nativePath);

// True for the lock file an office program keeps beside a workbook it has
// open: a file name starting with "~$".
bool IsLockFileName(const QString &nativePath);

// The native paths of the workbooks among the entries of a workbook list, in
// list order: what a run works through.
QStringList WorkbookPaths(const QFileInfoList &entries);
