#include "cli/history_commands.h"

#include "cli/cli_help.h"
#include "cli/cli_run.h"
#include "cli/cli_texts.h"
#include "history/run_undo.h"
#include "worker/undo_hooks.h"

#include <QFileInfo>

namespace
{

const char kRuns[] = "runs";
const char kUndo[] = "undo";

QString RunStateText(const history::KeptRun &run)
{
    if (run.undone)
        return Say("  （已撤销）", "  (undone)");
    if (run.restored > 0)
        return Say("  （部分撤销：已恢复 %1 个，共 %2 个）", "  (partly undone: %1 of %2 restored)")
            .arg(run.restored)
            .arg(run.workbooks);
    return QString();
}

int ListKeptRuns(const QString &folder, QTextStream &out)
{
    const auto runs = history::ListRuns(folder);
    if (runs.empty())
        out << Say("%1 中没有保留的运行", "no kept runs in %1").arg(folder) << '\n';
    for (const history::KeptRun &run : runs) {
        out << run.id << "  " << run.job << "  " << run.startedAt << "  "
            << Say("%1 个工作簿", "%1 workbook(s)").arg(run.workbooks) << RunStateText(run) << '\n';
    }
    return CliAllDone;
}

int UndoLast(const QString &folder, QTextStream &out, QTextStream &err)
{
    const history::UndoOutcome outcome = history::UndoLastRun(folder, StandardUndoHooks());
    if (outcome.run.id.isEmpty()) {
        err << Say("%1 中没有可撤销的运行", "no run to undo in %1").arg(folder) << '\n';
        return CliSomeFailed;
    }
    for (const QString &path : outcome.restored)
        out << Say("已恢复：", "restored: ") << path << '\n';
    for (const QString &path : outcome.changedSince)
        err << Say("未动，运行后已被改动：", "left alone, changed since the run: ") << path << '\n';
    for (int i = 0; i < outcome.failed.size(); ++i)
        err << Say("未恢复：%1：%2", "not restored: %1: %2")
                   .arg(outcome.failed[i], outcome.reasons[i])
            << '\n';
    out << Say("已撤销 %2 的 %1 运行：恢复了 %3 个工作簿",
               "undid the %1 run of %2: %3 workbook(s) restored")
               .arg(outcome.run.job, outcome.run.startedAt)
               .arg(outcome.restored.size())
        << '\n';
    if (outcome.run.undone)
        return CliAllDone;
    err << Say("这次运行只撤销了一部分：再次 undo 会重试未恢复的 %1 个工作簿",
               "the run is only partly undone: undo again retries the %1 workbook(s) not restored")
               .arg(outcome.run.workbooks - outcome.run.restored)
        << '\n';
    return CliSomeFailed;
}

} // namespace

bool IsHistoryCommand(const QString &name)
{
    return name == QLatin1String(kRuns) || name == QLatin1String(kUndo);
}

QList<QPair<QString, QString>> HistoryCommands()
{
    return {{QLatin1String(kRuns), Say("列出为 FOLDER 保留的运行，从最早的开始。",
                                       "List the runs kept for FOLDER, oldest first.")},
            {QLatin1String(kUndo),
             Say("把 FOLDER 上一次运行替换掉的工作簿恢复为原件（只限仍保持运行结束时样子的）。",
                 "Give the workbooks the last run of FOLDER replaced their originals back (only "
                 "those still as the run left them).")}};
}

int RunHistoryCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString program = QFileInfo(arguments.value(0)).fileName();
    const QString name = arguments.value(1);
    if (arguments.size() != 3 || arguments[2].startsWith(QLatin1Char('-'))) {
        const bool help = arguments.value(2) == QLatin1String("--help");
        (help ? out : err)
            << Say("用法：%1 %2 FOLDER\n", "Usage: %1 %2 FOLDER\n").arg(program, name)
            << HelpRowsText(HistoryCommands());
        return help ? CliAllDone : CliBadUsage;
    }
    const QString folder = arguments[2];
    if (!QFileInfo(folder).isDir()) {
        err << program << ": " << Say("不是文件夹：", "not a folder: ") << folder << '\n';
        return CliBadUsage;
    }
    return name == QLatin1String(kRuns) ? ListKeptRuns(folder, out) : UndoLast(folder, out, err);
}
