#pragma once
// The run report: the workbooks a run could not process, one native path per
// line, for the user to look after by hand.

#include <QString>
#include <QStringList>

// The report's path for a source folder: always inside the folder, whether or
// not its text ends with a separator.
QString RunReportPath(const QString &sourcePath);

// Writes the paths in the local 8-bit encoding, each line ended by CR LF.
// Returns false, leaving no file behind, when the report cannot be written;
// `error`, when given, then says why.
bool WriteRunReport(const QStringList &failures, const QString &reportPath,
                    QString *error = nullptr);
