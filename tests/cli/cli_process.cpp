#include "cli_process.h"

#include <QProcess>

CliResult RunCli(const QStringList &arguments)
{
    QProcess cli;
    cli.start(QStringLiteral(SHEETWRIGHT_CLI), arguments);
    CliResult result;
    if (!cli.waitForFinished(60000) || cli.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = cli.exitCode();
    result.lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    result.errors = QString::fromUtf8(cli.readAllStandardError());
    return result;
}
