#pragma once
// The list of "--files-from FILE": one workbook path a line, as find(1) and
// batch runners write it.

#include <QIODevice>
#include <QString>
#include <QStringList>

// The listed paths, absolute (relative ones are taken from the current
// folder) and with native separators, in the order given. Blank lines are
// passed over, and a CR before a line's end is dropped, so a list written on
// Windows reads the same.
QStringList ReadFileList(QIODevice &list);

// Reads the list from the file `name`, or standard input for "-". Returns
// false, with the reason in `error`, when it cannot be read.
bool ReadFileListFrom(const QString &name, QStringList &paths, QString &error);
