#include "worker/undo_hooks.h"

#include "worker/lock_file.h"
#include "worker/run_report.h"

history::UndoHooks StandardUndoHooks()
{
    history::UndoHooks hooks;
    hooks.openElsewhere = IsOpenElsewhere;
    hooks.rewriteReport = [](const QStringList &notRestored, const QString &reportPath) {
        return WriteRunReport(notRestored, reportPath);
    };
    return hooks;
}
