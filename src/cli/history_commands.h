#pragma once
// "sheetwright-cli runs FOLDER" and "sheetwright-cli undo FOLDER": the runs
// kept for a folder, and taking the last one back.

#include <QString>
#include <QStringList>
#include <QTextStream>

// True when `name` is one of these commands.
bool IsHistoryCommand(const QString &name);
// Help lines for the program's command list.
QString HistoryCommandsHelp();
// Performs the command; returns the exit status.
int RunHistoryCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
