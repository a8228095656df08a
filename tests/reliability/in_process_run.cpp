#include "in_process_run.h"

#include "worker/merge_object.h"
#include "worker/run_options.h"
#include "worker/run_report.h"

#include <QDir>

RunResult UnmergeInProcess(const QString &folder, const automation::AppFactory &backend,
                           const TurnHook &onTurn)
{
    runOptions = RunOptions();
    runOptions.sourcePath = QDir::toNativeSeparators(QDir(folder).absolutePath() + "/");
    runOptions.reportPath = RunReportPath(runOptions.sourcePath);
    MergeObject worker(QStringLiteral("tem"), nullptr);
    worker.SetAppFactory(backend);
    worker.SetJobs(1);
    worker.SetReportViewer({});
    if (onTurn)
        QObject::connect(&worker, &MergeObject::ShowDisposingFile, onTurn);
    worker.UnMerge();
    return RunResult{worker.Failures(), worker.FailureReasons(), worker.SuccessCount()};
}
