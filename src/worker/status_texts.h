#pragma once
// The texts a run shows in the status line besides workbook paths, and the
// reasons it gives for workbooks it leaves alone.

#include <QString>

QString NoApplicationText();
QString TemplateUnusableText(const QString &templatePath);
// The same, for a template that could not be made readable, and why.
QString TemplateUnreadableText(const QString &templatePath, const QString &problem);
// The run's summary: the workbooks it set (done), not those saved unchanged.
QString SummaryText(int doneCount, qint64 elapsedSeconds);
// What follows the summary: the failed and the unchanged workbooks.
QString OutcomeCountsText(int failedCount, int unchangedCount);
// The summary of a run whose folder held no workbook.
QString NoWorkbooksText();
// Why the run report, which lists the failed workbooks, is not there.
QString ReportNotWrittenText(const QString &reportPath, const QString &problem);
// Where the run report lies.
QString ReportPlaceText(const QString &reportPath);
QString NoBackupText(const QString &problem);
// Why a workbook was left alone: the template range it needed could not be copied.
QString TemplateRangeNotCopiedText(const QString &reason);
