#include "bounded_cli.h"

#include "cli_locale.h"

#include <QElapsedTimer>

void CliChild::Start(const QStringList &arguments, qint64 memoryLimitKiB)
{
    // The messages these tests read are the English ones.
    process_.setProcessEnvironment(testsupport::CliEnvironment(testsupport::kEnglishLocale));
    if (memoryLimitKiB <= 0) {
        process_.start(QStringLiteral(SHEETWRIGHT_CLI), arguments);
        return;
    }
    // The shell sets the limit for itself and then becomes the CLI.
    QStringList shellArguments{
        QStringLiteral("-c"),
        QStringLiteral("ulimit -v %1 && exec \"$0\" \"$@\"").arg(memoryLimitKiB),
        QStringLiteral(SHEETWRIGHT_CLI)};
    process_.start(QStringLiteral("/bin/sh"), shellArguments + arguments);
}

void CliChild::Kill()
{
    process_.kill();
}

BoundedRun CliChild::Wait(int timeoutMs)
{
    BoundedRun run;
    QElapsedTimer timer;
    timer.start();
    run.finished =
        process_.waitForFinished(timeoutMs) && process_.exitStatus() == QProcess::NormalExit;
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished();
    }
    run.milliseconds = timer.elapsed();
    run.exitCode = run.finished ? process_.exitCode() : -1;
    run.output = QString::fromUtf8(process_.readAllStandardOutput());
    run.errors = QString::fromUtf8(process_.readAllStandardError());
    return run;
}

BoundedRun RunCliBounded(const QStringList &arguments, int timeoutMs, qint64 memoryLimitKiB)
{
    CliChild child;
    child.Start(arguments, memoryLimitKiB);
    return child.Wait(timeoutMs);
}

qint64 MemoryLimitForThisBuild(qint64 wantedKiB)
{
#if defined(__SANITIZE_ADDRESS__)
    (void)wantedKiB;
    return 0;
#else
    return wantedKiB;
#endif
}
