#pragma once
// What a run prints, driven by the worker's progress events: each finished
// workbook's path (or its JSON object; nothing with --quiet), failures on
// standard error as they come, the progress line, and at the end the summary.

#include "cli/cli_texts.h"
#include "cli/progress_line.h"
#include "worker/run_outcome.h"

#include <QTextStream>

enum class RunOutputMode { Lines, Quiet, Json };

// How a run ended, as the closing lines tell it.
struct RunEnding {
    RunEnd end = RunEnd::Completed;
    double seconds = 0; // the whole run's, the walk included
    QString templatePath;
    QString templateProblem;
    QString reportPath;    // where the failed workbooks are listed; empty without failures
    QString reportProblem; // why that report could not be written; empty when it was
};

class RunPrinter
{
  public:
    // `progress` may be null: no progress line.
    RunPrinter(RunOutputMode mode, QTextStream &out, QTextStream &err, ProgressLine *progress);

    void Started(int total);
    void Finished(const WorkbookProgress &progress);
    // After the run: how it ended, the summary, and where the report is.
    void Close(const RunEnding &ending);

  private:
    void PrintWorkbook(const WorkbookProgress &progress);
    void PrintSummaryObject(const RunEnding &ending);
    void PrintSummaryLines(const RunEnding &ending);
    static QString WrittenReport(const RunEnding &ending);

    RunOutputMode mode_;
    QTextStream &out_;
    QTextStream &err_;
    ProgressLine *progress_;
    int total_ = 0;
    OutcomeCounts counts_;
};
