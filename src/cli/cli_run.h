#pragma once
// The command line front end: parses the arguments, fills the run options
// and performs the run on the calling thread, printing its status texts.

#include <QStringList>
#include <QTextStream>

// Exit codes of sheetwright-cli.
enum CliExit : int {
    CliAllDone = 0,    // every workbook was processed
    CliSomeFailed = 1, // a workbook failed (listed in the run report) or the run could not start
    CliBadUsage = 2,   // wrong arguments, a missing folder, or a template that does not open
};

int RunCli(const QStringList &arguments, QTextStream &out, QTextStream &err);
