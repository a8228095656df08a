#pragma once
// What the window knows of the run in progress or last ended: how many
// workbooks there are, which have had their turn and how each ended, and the
// texts it shows about them.

#include "ui/user_dialogs.h"
#include "worker/run_outcome.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>

class RunTally
{
    Q_DECLARE_TR_FUNCTIONS(RunTally)

  public:
    void Start(int total);
    void Finish(const QString &path, WorkbookOutcome outcome, const QString &reason);
    // The run is over: nothing is left to estimate.
    void End() { runEnded_ = true; }

    int Total() const { return total_; }
    int Finished() const { return finished_; }
    int Failed() const { return failed_; }
    int Unchanged() const { return unchanged_; }
    // A stopped run leaves every workbook whose turn had not ended untouched.
    bool HasEnded(const QString &path) const { return ended_.contains(path); }
    // Failed and unchanged workbooks in the order they finished, reasons in the window's language.
    QList<WorkbookTrouble> Troubles() const { return troubles_; }

    // "12 / 300  已用 0:41  剩余约 9:30"; the remaining time once a workbook is
    // done, while the run goes on.
    QString ProgressText() const;
    // Added to the run's summary: how many failed and how many were left
    // unchanged, and for a stopped run that the rest were not touched. Empty
    // for a run that found no workbook: there is nothing to count.
    QString EndText(bool stopped) const;

  private:
    int total_ = 0;
    int finished_ = 0;
    int failed_ = 0;
    int unchanged_ = 0;
    bool runEnded_ = false;
    QSet<QString> ended_;
    QList<WorkbookTrouble> troubles_;
    QElapsedTimer clock_;
};

// Minutes and seconds, "9:05"; hours in front when there are any, "1:02:03".
QString DurationText(qint64 seconds);
