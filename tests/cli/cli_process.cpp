#include "cli_process.h"

#include <QProcess>

CliResult RunCli(const QStringList &arguments, const QString &locale, const QByteArray &input)
{
    QProcess cli;
    cli.setProcessEnvironment(testsupport::CliEnvironment(locale));
    cli.start(QStringLiteral(SHEETWRIGHT_CLI), arguments);
    cli.write(input);
    cli.closeWriteChannel();
    CliResult result;
    if (!cli.waitForFinished(60000) || cli.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = cli.exitCode();
    result.output = QString::fromUtf8(cli.readAllStandardOutput());
    result.lines = result.output.split('\n', Qt::SkipEmptyParts);
    result.errors = QString::fromUtf8(cli.readAllStandardError());
    return result;
}
