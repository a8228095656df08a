#include "cli/history_commands.h"

#include "cli/cli_run.h"
#include "history/run_undo.h"
#include "worker/lock_file.h"

#include <QFileInfo>

namespace
{

const char kRuns[] = "runs";
const char kUndo[] = "undo";

int ListKeptRuns(const QString &folder, QTextStream &out)
{
    const auto runs = history::ListRuns(folder);
    if (runs.empty())
        out << "no kept runs in " << folder << '\n';
    for (const history::KeptRun &run : runs) {
        out << run.id << "  " << run.job << "  " << run.startedAt << "  " << run.workbooks
            << " workbooks" << (run.undone ? "  (undone)" : "") << '\n';
    }
    return CliAllDone;
}

int UndoLast(const QString &folder, QTextStream &out, QTextStream &err)
{
    const history::UndoOutcome outcome = history::UndoLastRun(folder, IsOpenElsewhere);
    if (outcome.run.id.isEmpty()) {
        err << "no run to undo in " << folder << '\n';
        return CliSomeFailed;
    }
    for (const QString &path : outcome.restored)
        out << "restored: " << path << '\n';
    for (const QString &path : outcome.changedSince)
        err << "left alone, changed since the run: " << path << '\n';
    for (int i = 0; i < outcome.failed.size(); ++i)
        err << "not restored: " << outcome.failed[i] << ": " << outcome.reasons[i] << '\n';
    out << "undid the " << outcome.run.job << " run of " << outcome.run.startedAt << ": "
        << outcome.restored.size() << " workbooks restored\n";
    const bool everyOne = outcome.changedSince.isEmpty() && outcome.failed.isEmpty();
    return everyOne ? CliAllDone : CliSomeFailed;
}

} // namespace

bool IsHistoryCommand(const QString &name)
{
    return name == QLatin1String(kRuns) || name == QLatin1String(kUndo);
}

QString HistoryCommandsHelp()
{
    return QStringLiteral("  runs  List the runs kept for FOLDER, oldest first.\n"
                          "  undo  Give the workbooks the last run of FOLDER replaced their "
                          "originals back (only those still as the run left them).\n");
}

int RunHistoryCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString program = QFileInfo(arguments.value(0)).fileName();
    const QString name = arguments.value(1);
    if (arguments.size() != 3 || arguments[2].startsWith(QLatin1Char('-'))) {
        const bool help = arguments.value(2) == QLatin1String("--help");
        (help ? out : err) << "Usage: " << program << ' ' << name << " FOLDER\n"
                           << HistoryCommandsHelp();
        return help ? CliAllDone : CliBadUsage;
    }
    const QString folder = arguments[2];
    if (!QFileInfo(folder).isDir()) {
        err << program << ": not a folder: " << folder << '\n';
        return CliBadUsage;
    }
    return name == QLatin1String(kRuns) ? ListKeptRuns(folder, out) : UndoLast(folder, out, err);
}
