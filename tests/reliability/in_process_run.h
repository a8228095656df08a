#pragma once
// An unmerge run of the worker on this thread, one workbook at a time, with
// a hook on each workbook's turn (its status text), for faults that strike
// between the folder walk and a workbook's turn.

#include "worker/automation.h"

#include <QString>
#include <QStringList>

#include <functional>

struct RunResult {
    QStringList failures; // paths, in workbook-list order
    QStringList reasons;
    int successCount = 0;
};

using TurnHook = std::function<void(const QString &statusText)>;

RunResult UnmergeInProcess(const QString &folder, const automation::AppFactory &backend,
                           const TurnHook &onTurn = {});
