#pragma once
// How far a run has got, as a value the worker sends beside its status texts:
// once at the start of a run with the number of workbooks, then once for
// every workbook whose turn has ended.

#include <QMetaType>
#include <QString>

enum class WorkbookOutcome { Done, Unchanged, Failed };

struct RunProgress {
    int position = 0; // workbooks ended so far, this one included; 0 at the start
    int total = 0;    // workbooks in the run
    QString path;     // the workbook that has just ended; empty at the start
    WorkbookOutcome outcome = WorkbookOutcome::Done;
    QString reason;     // why it failed or was left unchanged
    double seconds = 0; // from its turn's start to its save's completion
};

Q_DECLARE_METATYPE(RunProgress)
