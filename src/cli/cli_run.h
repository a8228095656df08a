#pragma once
// The command line front end: parses the arguments, fills the run options,
// and performs the run on the calling thread (or only plans it, for
// --dry-run), printing what the arguments ask for.

#include <QStringList>
#include <QTextStream>

// Exit codes of sheetwright-cli.
enum CliExit : int {
    CliAllDone = 0,    // every workbook was processed
    CliSomeFailed = 1, // a workbook failed (listed in the run report) or the run could not start
    // wrong arguments, a missing folder, an unreadable file list, or a template
    // that does not open
    CliBadUsage = 2,
};

int RunCli(const QStringList &arguments, QTextStream &out, QTextStream &err);
