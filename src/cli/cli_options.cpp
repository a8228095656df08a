#include "cli/cli_options.h"

#include "cli/cli_texts.h"

const QCommandLineOption &HelpOption()
{
    static const QCommandLineOption option({QStringLiteral("h"), QStringLiteral("help")},
                                           Say("显示本帮助。", "Show this help."));
    return option;
}

const QCommandLineOption &FirstSheetOption()
{
    static const QCommandLineOption option(
        QStringLiteral("first-sheet"),
        Say("只处理每个工作簿的第一个工作表。", "Work on the first sheet of each workbook only."));
    return option;
}

const QCommandLineOption &SheetOption()
{
    static const QCommandLineOption option(
        QStringLiteral("sheet"),
        Say("只处理名字恰为 NAME 的工作表（区分大小写）。",
            "Work only on the sheets named exactly NAME (case-sensitive)."),
        QStringLiteral("NAME"));
    return option;
}

const QCommandLineOption &JobsOption()
{
    static const QCommandLineOption option(
        QStringLiteral("jobs"),
        Say("同时处理 N 个工作簿（1 到 64；默认每个处理器核心一个）。",
            "Work on N workbooks at once (1 to 64; default: one per core)."),
        QStringLiteral("N"));
    return option;
}

const QCommandLineOption &FilesFromOption()
{
    static const QCommandLineOption option(
        QStringLiteral("files-from"),
        Say("只处理 FILE 中列出的工作簿，每行一个路径（FILE 为 - 时读标准输入）；"
            "这时 FOLDER 可省略，报告写入 FOLDER 或当前文件夹。",
            "Process exactly the workbooks listed in FILE, one path a line (- reads standard "
            "input); FOLDER may then be left out, and the report goes into FOLDER or the "
            "current folder."),
        QStringLiteral("FILE"));
    return option;
}

const QCommandLineOption &DryRunOption()
{
    static const QCommandLineOption option(
        QStringLiteral("dry-run"),
        Say("列出将要处理的工作簿和跳过其他文件的原因，不改动任何文件。",
            "List the workbooks a run would process and why other files are skipped; "
            "change nothing."));
    return option;
}

const QCommandLineOption &QuietOption()
{
    static const QCommandLineOption option(
        QStringLiteral("quiet"),
        Say("只输出失败的工作簿和总结。", "Print only the workbooks that failed and the summary."));
    return option;
}

const QCommandLineOption &JsonOption()
{
    static const QCommandLineOption option(
        QStringLiteral("json"),
        Say("在标准输出上每个工作簿输出一个 JSON 对象（path、outcome、reason、seconds），"
            "最后输出一个总结对象。",
            "Print one JSON object per workbook on standard output (path, outcome, reason, "
            "seconds), then a summary object."));
    return option;
}

const QCommandLineOption &NoBackupOption()
{
    static const QCommandLineOption option(
        QStringLiteral("no-backup"),
        Say("不保留被替换的原文件（这次运行将无法撤销）。",
            "Keep no originals of the replaced workbooks (the run cannot be undone)."));
    return option;
}

const QCommandLineOption &KeepOption()
{
    static const QCommandLineOption option(
        QStringLiteral("keep"),
        Say("保留最近 N 次运行的原文件以便撤销（1 到 1000，默认 5）。",
            "Keep the originals of the newest N runs for undo (1 to 1000, default 5)."),
        QStringLiteral("N"), QStringLiteral("5"));
    return option;
}

QList<QCommandLineOption> SharedOptions()
{
    return {HelpOption(),   FirstSheetOption(), SheetOption(), JobsOption(),     FilesFromOption(),
            DryRunOption(), QuietOption(),      JsonOption(),  NoBackupOption(), KeepOption()};
}
