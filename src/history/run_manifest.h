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
};

struct RunManifest {
    QString job;
    QString startedAt; // ISO 8601, local time
    std::vector<KeptWorkbook> workbooks;
};

QByteArray ManifestHeaderLine(const QString &job, const QString &startedAt);
QByteArray ManifestLine(const KeptWorkbook &workbook);
// A line that does not parse (a write cut short by a kill) is left out.
bool ReadManifest(const QString &path, RunManifest &manifest);

} // namespace history
