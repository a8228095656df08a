#include "cli/run_printer.h"

#include "cli/cli_texts.h"
#include "cli/json_line.h"

#include <QJsonObject>

#include <cmath>

namespace
{

QString OutcomeName(WorkbookOutcome outcome)
{
    switch (outcome) {
    case WorkbookOutcome::Done:
        return QStringLiteral("done");
    case WorkbookOutcome::Unchanged:
        return QStringLiteral("unchanged");
    case WorkbookOutcome::Failed:
        break;
    }
    return QStringLiteral("failed");
}

QString EndName(RunEnd end)
{
    switch (end) {
    case RunEnd::Completed:
        return QStringLiteral("completed");
    case RunEnd::Stopped:
        return QStringLiteral("stopped");
    case RunEnd::NoApplication:
        return QStringLiteral("no_application");
    case RunEnd::NoBackup:
        return QStringLiteral("no_backup");
    case RunEnd::TemplateUnusable:
        break;
    }
    return QStringLiteral("template_unusable");
}

// Milliseconds are as fine as a script needs.
double Rounded(double seconds)
{
    return std::round(seconds * 1000) / 1000;
}

} // namespace

RunPrinter::RunPrinter(RunOutputMode mode, QTextStream &out, QTextStream &err,
                       ProgressLine *progress)
    : mode_(mode), out_(out), err_(err), progress_(progress)
{
}

void RunPrinter::Started(int total)
{
    total_ = total;
    if (progress_)
        progress_->Start(total);
}

void RunPrinter::Finished(const WorkbookProgress &progress)
{
    const WorkbookOutcome outcome = progress.result.outcome;
    counts_.done += outcome == WorkbookOutcome::Done ? 1 : 0;
    counts_.unchanged += outcome == WorkbookOutcome::Unchanged ? 1 : 0;
    counts_.failed += outcome == WorkbookOutcome::Failed ? 1 : 0;
    if (progress_)
        progress_->Clear();
    PrintWorkbook(progress);
    if (progress_)
        progress_->Update(progress.position);
}

void RunPrinter::PrintWorkbook(const WorkbookProgress &progress)
{
    if (mode_ == RunOutputMode::Json) {
        out_ << JsonLine({{"type", "workbook"},
                          {"path", progress.path},
                          {"outcome", OutcomeName(progress.result.outcome)},
                          {"reason", ReasonText(progress.result.reason)},
                          {"seconds", Rounded(progress.result.seconds)}});
    } else if (mode_ == RunOutputMode::Lines) {
        out_ << progress.path << '\n';
    }
    out_.flush();
    if (!progress.result.Succeeded())
        err_ << Say("失败：%1：%2", "failed: %1: %2")
                    .arg(progress.path, ReasonText(progress.result.reason))
             << '\n';
    err_.flush();
}

void RunPrinter::Close(const RunEnding &ending)
{
    if (progress_)
        progress_->Finish();
    // How the run ended early, and a report that is missing, are errors.
    const QString endText = RunEndText(ending.end, ending.templatePath, ending.templateProblem);
    if (!endText.isEmpty())
        err_ << endText << '\n';
    if (!ending.reportProblem.isEmpty())
        err_ << Say("运行报告无法写入：%1（%2）", "the report could not be written: %1 (%2)")
                    .arg(ending.reportPath, ending.reportProblem)
             << '\n';
    err_.flush();
    if (mode_ == RunOutputMode::Json)
        PrintSummaryObject(ending);
    else if (endText.isEmpty())
        PrintSummaryLines(ending);
    out_.flush();
}

void RunPrinter::PrintSummaryObject(const RunEnding &ending)
{
    out_ << JsonLine({{"type", "summary"},
                      {"end", EndName(ending.end)},
                      {"done", counts_.done},
                      {"unchanged", counts_.unchanged},
                      {"failed", counts_.failed},
                      {"seconds", Rounded(ending.seconds)},
                      {"report", WrittenReport(ending)}});
}

void RunPrinter::PrintSummaryLines(const RunEnding &ending)
{
    // Whole seconds, as the window counts them.
    out_ << RunSummaryText(counts_, total_, static_cast<qint64>(ending.seconds)) << '\n';
    if (!WrittenReport(ending).isEmpty())
        out_ << Say("报告：", "report: ") << ending.reportPath << '\n';
}

QString RunPrinter::WrittenReport(const RunEnding &ending)
{
    return ending.reportProblem.isEmpty() ? ending.reportPath : QString();
}
