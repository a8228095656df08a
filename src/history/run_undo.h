#pragma once
// Taking the last run back: every workbook it replaced gets its original
// again, but only while it is still exactly as the run left it.

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

namespace history
{

struct KeptRun {
    QString id; // the run's folder name, which sorts by start
    QString job;
    QString startedAt;
    int workbooks = 0;   // replaced by the run, and kept
    int restored = 0;    // of those, given back by undos that left others behind
    bool undone = false; // every workbook restored
};

// The runs kept for a folder, oldest first.
std::vector<KeptRun> ListRuns(const QString &workbookFolder);

// What an undo is told and asked along the way; every member may be empty.
struct UndoHooks {
    // True for a workbook another program has open: it is not restored.
    std::function<bool(const QString &workbookPath)> openElsewhere;
    // After each workbook's turn: its place among the workbooks to go through
    // (from 1), their number, and why it is not (to be) restored; empty when it is.
    std::function<void(int position, int total, const QString &path, const QString &problem)>
        turnEnded;
    // Once set, no further workbook has its turn.
    const std::atomic<bool> *stop = nullptr;
    // Writes the run's report anew as the list of the workbooks not restored;
    // false when it could not.
    std::function<bool(const QStringList &notRestored, const QString &reportPath)> rewriteReport;
};

struct UndoPlan {
    KeptRun run;              // the newest run not yet undone; id empty when none
    QStringList restorable;   // workbook paths still as the run left them
    QStringList changedSince; // edited, moved or deleted since: left alone
    bool stopped = false;     // the check ended early: the lists are incomplete
};

// What UndoLastRun would do, without doing it. Workbooks an earlier undo of
// the same run restored are passed by.
UndoPlan PlanUndo(const QString &workbookFolder, const UndoHooks &hooks = {});

struct UndoOutcome {
    KeptRun run;
    QStringList restored;
    QStringList changedSince;
    QStringList failed; // could not be restored; `reasons` says why
    QStringList reasons;
    QStringList notReached; // a stop came before their turn
};

// Restores the originals of the newest run not yet undone, each by an atomic
// rename. A workbook changed since the run, or open in another program, is
// left alone and reported. Only a run whose every workbook is restored is
// marked undone; otherwise the next undo takes the same run again for the
// rest. The run's report, while still as the run wrote it, goes when the run
// is undone, and is rewritten to name the workbooks not restored otherwise.
UndoOutcome UndoLastRun(const QString &workbookFolder, const UndoHooks &hooks = {});

} // namespace history

Q_DECLARE_METATYPE(history::UndoPlan)
Q_DECLARE_METATYPE(history::UndoOutcome)
