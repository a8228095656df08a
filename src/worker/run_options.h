#pragma once
// The options of the next run: written by a front end while no run is in
// progress; each run takes its own copy as it begins.

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace history
{
class RunBackup;
}

struct RunOptions {
    QString sourcePath;
    QString templatePath;
    QString lastRowText = QStringLiteral("100");
    bool appointedSheet = false;
    QString appointedSheetName;
    bool onlyFirstSheet = false;
    bool appointedRange = false;
    QString appointedRangeText;
    bool justColWidth = false;
    bool withFormulas = false;
    bool withValues = false;
    QString reportPath;
    // The run's workbooks when a front end names them; otherwise the run
    // walks sourcePath. The report still goes to reportPath.
    std::optional<QStringList> workbookList;
    // Keep the originals of the workbooks a run replaces, so that it can be
    // undone; the newest `keptRuns` runs of a folder are kept. The front ends
    // turn it on.
    bool keepOriginals = false;
    int keptRuns = 5;
    // Set by a run on its own copy: where it keeps the originals.
    std::shared_ptr<history::RunBackup> backup;
};

extern RunOptions runOptions;
