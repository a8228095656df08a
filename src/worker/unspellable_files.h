#pragma once
// Files whose names the local 8-bit encoding cannot spell. Qt's folder
// listing leaves them out, so a workbook so named would be passed over in
// silence while the run reports success. Each comes back as a path with the
// undecodable bytes replaced: it opens as nothing, and the run reports it.

#include <QFileInfoList>
#include <QString>

QFileInfoList UnspellableFiles(const QString &folderPath);
