#include "worker_test_support.h"

#include "worker/run_options.h"
#include "worker/run_report.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void MakeFiles(const QString &root, const QStringList &relativePaths)
{
    for (const QString &relative : relativePaths) {
        const QString path = root + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(path));
    }
}

void ResetRunOptions(const QString &sourceFolder)
{
    runOptions = RunOptions();
    runOptions.sourcePath = QDir::toNativeSeparators(sourceFolder + QLatin1Char('/'));
    runOptions.reportPath = RunReportPath(runOptions.sourcePath);
}

RunRecord RunOn(MergeObject &worker, RecordingBackend &backend, void (MergeObject::*slot)())
{
    RunRecord record;
    worker.SetAppFactory(backend.Factory());
    worker.SetReportViewer([&record](const QString &path) { record.shownReports << path; });
    QObject::connect(&worker, &MergeObject::ShowDisposingFile,
                     [&record](const QString &text) { record.statusTexts << text; });
    QObject::connect(&worker, &MergeObject::Signal_SetButtonEnable,
                     [&record] { ++record.completionSignals; });
    (worker.*slot)();
    QObject::disconnect(&worker, nullptr, nullptr, nullptr);
    worker.SetReportViewer(nullptr);
    return record;
}
