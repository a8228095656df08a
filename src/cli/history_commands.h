#pragma once
// "sheetwright-cli runs FOLDER" and "sheetwright-cli undo FOLDER": the runs
// kept for a folder, and taking the last one back.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTextStream>

// True when `name` is one of these commands.
bool IsHistoryCommand(const QString &name);
// The commands' names and summaries for the program's help.
QList<QPair<QString, QString>> HistoryCommands();
// Performs the command; returns the exit status.
int RunHistoryCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
