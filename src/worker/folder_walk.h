#pragma once

#include <QFileInfoList>
#include <QSet>
#include <QString>

// Appends the files below folderPath, depth-first and pre-order, names in
// case-insensitive order; hidden files are in, file links and hidden folders
// are out. Folders whose real path is already in visitedFolders are passed
// over, so linked folders are followed but a link cycle ends.
QFileInfoList CollectFolderTree(const QString &folderPath, QSet<QString> &visitedFolders);
