#pragma once
// The texts a run shows in the status line besides workbook paths.

#include <QString>

QString NoApplicationText();
QString TemplateUnusableText(const QString &templatePath);
QString SummaryText(int successCount, qint64 elapsedSeconds);
