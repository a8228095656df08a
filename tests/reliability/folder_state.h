#pragma once
// A folder's files as bytes, to prove what a run did or did not change.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

using FolderBytes = QMap<QString, QByteArray>; // file name -> bytes

// Every plain file directly in the folder, hidden ones included.
QStringList FileNames(const QString &folder);
FolderBytes ReadFolder(const QString &folder);
// Replaces the folder's files by exactly these.
bool RestoreFolder(const QString &folder, const FolderBytes &files);
