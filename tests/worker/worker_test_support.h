#pragma once
// Shared by the worker tests: a temporary folder tree of empty files, and a
// worker run on the recording backend with its status texts captured.

#include "recording_backend.h"
#include "worker/merge_object.h"

#include <QStringList>
#include <QTemporaryDir>

// Creates the given files (relative paths, folders made as needed) below root.
void MakeFiles(const QString &root, const QStringList &relativePaths);

// Run options as at program start, with sourcePath and reportPath for folder.
void ResetRunOptions(const QString &sourceFolder);

struct RunRecord {
    QStringList statusTexts; // every ShowDisposingFile text, in order
    int completionSignals = 0;
    QStringList shownReports; // paths handed to the report viewer
};

// Runs slot (&MergeObject::Transform or &MergeObject::UnMerge) on this thread.
RunRecord RunOn(MergeObject &worker, RecordingBackend &backend, void (MergeObject::*slot)());
