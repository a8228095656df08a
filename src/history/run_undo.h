#pragma once
// Taking the last run back: every workbook it replaced gets its original
// again, but only while it is still exactly as the run left it.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace history
{

struct KeptRun {
    QString id; // the run's folder name, which sorts by start
    QString job;
    QString startedAt;
    int workbooks = 0; // replaced by the run, and kept
    bool undone = false;
};

// The runs kept for a folder, oldest first.
std::vector<KeptRun> ListRuns(const QString &workbookFolder);

struct UndoPlan {
    KeptRun run;              // the newest run not yet undone; id empty when none
    QStringList restorable;   // workbook paths still as the run left them
    QStringList changedSince; // edited, moved or deleted since: left alone
};

// What UndoLastRun would do, without doing it.
UndoPlan PlanUndo(const QString &workbookFolder);

struct UndoOutcome {
    KeptRun run;
    QStringList restored;
    QStringList changedSince;
    QStringList failed; // could not be restored; `reasons` says why
    QStringList reasons;
};

using OpenElsewhere = std::function<bool(const QString &workbookPath)>;

// Restores the originals of the newest run not yet undone, each by an atomic
// rename, and marks the run undone. A workbook changed since the run, or open
// in another program, is left alone and reported.
UndoOutcome UndoLastRun(const QString &workbookFolder, const OpenElsewhere &openElsewhere);

} // namespace history
