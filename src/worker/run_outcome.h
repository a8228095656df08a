#pragma once
// What one run leaves behind: which workbooks failed and why, and how many
// were done; and each workbook's result as the front ends see it.

#include <QMetaType>
#include <QString>
#include <QStringList>

enum class RunEnd {
    Completed,        // every workbook of the list had its turn
    Stopped,          // RequestStop() ended the run before the list was done
    NoApplication,    // the backend offered no workbooks collection
    TemplateUnusable, // the template did not open or has no sheet with cells
    NoBackup,         // the originals could not be kept: nothing was changed
};

enum class WorkbookOutcome {
    Done,      // saved with its changes
    Unchanged, // opened and saved, but nothing in it changed: the file is as it was
    Failed,    // not opened, not worked on or not saved: the reason says why
};

struct WorkbookResult {
    WorkbookOutcome outcome = WorkbookOutcome::Failed;
    QString reason;     // why the workbook failed; empty otherwise
    double seconds = 0; // from its turn's start until its save was complete

    static WorkbookResult Failure(const QString &reason)
    {
        return WorkbookResult{WorkbookOutcome::Failed, reason};
    }
    // Opened and saved: done, or left as it was.
    bool Succeeded() const { return outcome != WorkbookOutcome::Failed; }
};

// One workbook's result, reported in workbook-list order.
struct WorkbookProgress {
    int position = 0; // 1 for the run's first workbook
    int total = 0;    // the run's workbooks
    QString path;     // native separators, as in the status line
    WorkbookResult result;
};
Q_DECLARE_METATYPE(WorkbookProgress)

// Done, unchanged and failed workbooks are counted apart: a workbook saved
// as it was is not one the run set.
struct RunOutcome {
    QStringList failures; // workbook paths in workbook-list order
    QStringList reasons;  // one per failure, same order
    int doneCount = 0;
    int unchangedCount = 0;

    void Record(const QString &path, const WorkbookResult &result)
    {
        switch (result.outcome) {
        case WorkbookOutcome::Done:
            ++doneCount;
            return;
        case WorkbookOutcome::Unchanged:
            ++unchangedCount;
            return;
        case WorkbookOutcome::Failed:
            break;
        }
        failures << path;
        reasons << result.reason;
    }
};
