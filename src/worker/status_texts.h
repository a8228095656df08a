#pragma once
// The texts a run shows in the status line besides workbook paths, and the
// reasons it gives for workbooks it leaves alone.

#include <QString>

QString NoApplicationText();
QString TemplateUnusableText(const QString &templatePath);
// The same, for a template that could not be made readable, and why.
QString TemplateUnreadableText(const QString &templatePath, const QString &problem);
QString SummaryText(int successCount, qint64 elapsedSeconds);
QString NoBackupText(const QString &problem);
// Why a workbook was left alone: the template range it needed could not be copied.
QString TemplateRangeNotCopiedText(const QString &reason);
