#include "cli/worker_run.h"

#include "backends/standard_backends.h"
#include "cli/cli_run.h"
#include "cli/cli_texts.h"
#include "cli/run_printer.h"
#include "cli/skip_reasons.h"
#include "cli/stop_signals.h"
#include "cli/terminal.h"
#include "worker/distinct_files.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <atomic>

namespace
{

// The listed files a run takes; those it would pass by are said on `err`.
QStringList WorkbooksOfList(const QStringList &listed, bool quiet, QTextStream &err)
{
    QStringList workbooks;
    FileIdentities identities;
    for (const QString &path : listed) {
        QString reason = PassedByReason(path);
        if (reason.isEmpty() && !identities.IsNew(path))
            reason = RepeatedFileReason();
        if (reason.isEmpty())
            workbooks << path;
        else if (!quiet)
            err << Say("跳过：%1：%2", "skipped: %1: %2").arg(path, reason) << '\n';
    }
    return workbooks;
}

RunOutputMode OutputModeOf(const RunRequest &request)
{
    if (request.json)
        return RunOutputMode::Json;
    return request.quiet ? RunOutputMode::Quiet : RunOutputMode::Lines;
}

void ConnectPrinter(MergeObject &worker, RunPrinter &printer, QElapsedTimer &sinceStart)
{
    QObject::connect(&worker, &MergeObject::Signal_RunStarted,
                     [&printer, &sinceStart](int workbookCount) {
                         // The pace counts from the first workbook, not from the walk.
                         sinceStart.restart();
                         printer.Started(workbookCount);
                     });
    QObject::connect(&worker, &MergeObject::Signal_WorkbookFinished,
                     [&printer](const WorkbookProgress &progress) { printer.Finished(progress); });
}

// A template that does not open is a usage error like a missing file.
int ExitCode(bool someFailed, RunEnd end)
{
    if (end == RunEnd::TemplateUnusable)
        return CliBadUsage;
    return !someFailed && end == RunEnd::Completed ? CliAllDone : CliSomeFailed;
}

} // namespace

int PerformRun(const CliCommand &command, const RunRequest &request, QTextStream &out,
               QTextStream &err)
{
    if (request.listed)
        runOptions.workbookList = WorkbooksOfList(*request.listed, request.quiet, err);
    // An old report would otherwise outlive a run without failures.
    QFile::remove(runOptions.reportPath);
    MergeObject worker(QStringLiteral("tem"), nullptr);
    worker.SetBackends(StandardBackends());
    worker.SetReportViewer({});
    worker.SetJobs(request.jobs);
    QElapsedTimer wholeRun;
    wholeRun.start();
    QElapsedTimer sinceStart;
    sinceStart.start();
    ProgressLine progress(err, StandardErrorIsTerminal(),
                          [&sinceStart] { return sinceStart.elapsed() / 1000.0; });
    RunPrinter printer(OutputModeOf(request), out, err, request.quiet ? nullptr : &progress);
    ConnectPrinter(worker, printer, sinceStart);
    std::atomic<int> stopCode{0};
    OnStopSignals([&worker, &stopCode](int exitCode) {
        stopCode = exitCode;
        worker.RequestStop();
    });
    (worker.*command.run)();
    OnStopSignals(nullptr);
    const bool someFailed = !worker.Failures().isEmpty();
    printer.Close({worker.LastRunEnd(), wholeRun.elapsed() / 1000.0, runOptions.templatePath,
                   worker.TemplateProblem(), someFailed ? runOptions.reportPath : QString(),
                   worker.ReportProblem()});
    return stopCode ? stopCode.load() : ExitCode(someFailed, worker.LastRunEnd());
}
