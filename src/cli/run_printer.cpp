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
    if (progress_)
        progress_->Start(total);
}

void RunPrinter::Finished(const WorkbookProgress &progress)
{
    const WorkbookOutcome outcome = progress.result.outcome;
    done_ += outcome == WorkbookOutcome::Done ? 1 : 0;
    unchanged_ += outcome == WorkbookOutcome::Unchanged ? 1 : 0;
    failed_ += outcome == WorkbookOutcome::Failed ? 1 : 0;
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
    if (mode_ == RunOutputMode::Json)
        PrintSummaryObject(ending);
    else
        PrintSummaryLines(ending);
    out_.flush();
}

void RunPrinter::PrintSummaryObject(const RunEnding &ending)
{
    const QString endText = RunEndText(ending.end, ending.templatePath, ending.templateProblem);
    if (!endText.isEmpty())
        err_ << endText << '\n';
    out_ << JsonLine({{"type", "summary"},
                      {"end", EndName(ending.end)},
                      {"done", done_},
                      {"unchanged", unchanged_},
                      {"failed", failed_},
                      {"seconds", Rounded(ending.seconds)},
                      {"report", ending.reportPath}});
}

void RunPrinter::PrintSummaryLines(const RunEnding &ending)
{
    const QString endText = RunEndText(ending.end, ending.templatePath, ending.templateProblem);
    if (!endText.isEmpty()) {
        out_ << endText << '\n';
        return;
    }
    // Whole seconds, as the window counts them.
    out_ << RunSummaryText(done_ + unchanged_, static_cast<qint64>(ending.seconds)) << '\n';
    if (!ending.reportPath.isEmpty())
        out_ << Say("报告：", "report: ") << ending.reportPath << '\n';
}
