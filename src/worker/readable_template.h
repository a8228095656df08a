#pragma once
// The template as every backend of a run reads it. A template only the office
// backend reads (.xls) is converted once per run into an .xlsx in a folder of
// its own, which goes with this object: the native engine can then read it,
// and no office instance holds the user's file open, locked, as it does a
// legacy workbook it edits.

#include "worker/backend_routing.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class ReadableTemplate
{
  public:
    ReadableTemplate(const QString &templatePath, const Backends &backends);

    // Empty when a conversion was needed and failed.
    const QString &Path() const { return path_; }
    // Why the conversion failed; empty when it did not.
    const QString &Problem() const { return problem_; }

  private:
    std::unique_ptr<QTemporaryDir> folder_; // only for a conversion
    QString path_;
    QString problem_;
};
