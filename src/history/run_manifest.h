#pragma once
// The record a run keeps of the workbooks it replaced: one JSON object per
// line, appended as each workbook's save completes, so that a run that was
// killed midway can still be taken back for the workbooks it finished.

#include "history/file_hash.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace history
{

struct KeptWorkbook {
    QString relativePath; // from the processed folder, with "/"
    qint64 size = 0;      // of the original
    qint64 modifiedMs = 0;
    QByteArray originalHash; // hex
    QByteArray resultHash;   // hex; equal to originalHash when the run left the file as it was
    HashKind hashKind = kCurrentHashKind; // both hashes' kind
    bool restored = false; // given its original back by an undo that left others to retry
};

struct RunManifest {
    QString job;
    QString startedAt; // ISO 8601, local time
    std::vector<KeptWorkbook> workbooks;
    QString reportPath;    // the report the run wrote, relative as workbooks are; empty when none
    QByteArray reportHash; // of the report as the run (or a partial undo) last wrote it
};

QByteArray ManifestHeaderLine(const QString &job, const QString &startedAt);
QByteArray ManifestLine(const KeptWorkbook &workbook);
// Appended by an undo for each workbook it restored, so a retry passes it by.
QByteArray RestoredLine(const QString &relativePath);
// The report beside the run, so an undo touches it only while it is still that one.
QByteArray ReportLine(const QString &relativePath, const QByteArray &hash);
// A line that does not parse (a write cut short by a kill) is left out.
bool ReadManifest(const QString &path, RunManifest &manifest);

} // namespace history
