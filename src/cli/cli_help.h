#pragma once
// The help texts of sheetwright-cli, in the process's language. Every text
// ends with a newline, so a shell prompt after it starts on a line of its own.

#include "cli/cli_command.h"

#include <QList>
#include <QPair>
#include <QString>

// Rows of a help text: a name or option, and what it is for.
using HelpRows = QList<QPair<QString, QString>>;

// The names in one column, their descriptions aligned beside them.
QString HelpRowsText(const HelpRows &rows);

// The overview: usage, the commands, the exit statuses.
QString ProgramHelp(const QString &program);

// One command: its usage, summary, options and arguments.
QString CommandHelp(const QString &program, const CliCommand &command);

// "sheetwright-cli 2.2.0", the version the build was made from.
QString VersionText(const QString &program);
