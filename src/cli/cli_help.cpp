#include "cli/cli_help.h"

#include "cli/cli_options.h"
#include "cli/cli_texts.h"
#include "cli/history_commands.h"
#include "cli/text_wrap.h"

#include <QStringList>

#include <algorithm>

namespace
{

// Help lines fit a terminal of this many columns; descriptions get at least
// the second number of columns beside their labels.
constexpr int kHelpColumns = 100;
constexpr int kLeastDescriptionColumns = 40;

QString OptionLabel(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString label = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        label += QStringLiteral(" <%1>").arg(option.valueName());
    return label;
}

HelpRows OptionRows(const CliCommand &command)
{
    QList<QCommandLineOption> options = SharedOptions();
    if (command.options) {
        for (const QCommandLineOption &option : command.options())
            options.push_back(option);
    }
    HelpRows rows;
    for (const QCommandLineOption &option : options)
        rows.append({OptionLabel(option), option.description()});
    return rows;
}

} // namespace

QString HelpRowsText(const HelpRows &rows)
{
    int width = 0;
    for (const auto &row : rows)
        width = std::max(width, row.first.size());
    const QString indent(width + 4, QLatin1Char(' '));
    const int columns = std::max(kHelpColumns - indent.size(), kLeastDescriptionColumns);
    QString text;
    for (const auto &row : rows) {
        const QStringList lines = WrapToColumns(row.second, columns);
        text += QStringLiteral("  %1  ").arg(row.first.leftJustified(width)) +
                lines.join(QLatin1Char('\n') + indent) + QLatin1Char('\n');
    }
    return text;
}

QString ProgramHelp(const QString &program)
{
    HelpRows rows;
    for (const CliCommand &command : CliCommands())
        rows.append({command.name, command.summary});
    rows += HistoryCommands();
    return Say("用法：%1 COMMAND FOLDER [选项]\n\n命令：\n",
               "Usage: %1 COMMAND FOLDER [options]\n\nCommands:\n")
               .arg(program) +
           HelpRowsText(rows) +
           Say("\n运行 \"%1 COMMAND --help\" 查看某个命令的选项。\n"
               "退出状态：0 每个工作簿都已处理，1 有工作簿失败（见 FOLDER 中的运行报告），"
               "2 用法错误、文件夹不存在、文件列表无法读取或模板无法打开。\n",
               "\nRun \"%1 COMMAND --help\" for the options of a command.\n"
               "Exit status: 0 every workbook done, 1 some workbook failed (see the run report "
               "in FOLDER), 2 bad usage, a missing folder, an unreadable file list or a template "
               "that does not open.\n")
               .arg(program);
}

QString CommandHelp(const QString &program, const CliCommand &command)
{
    const HelpRows arguments = {
        {command.name, Say("命令。", "The command.")},
        {QStringLiteral("FOLDER"),
         Say("要处理其中工作簿（包括子文件夹中的）的文件夹；失败的运行报告写入其中。",
             "The folder whose workbooks (and those of its sub-folders) are processed; the run "
             "report of failures is written into it.")}};
    return Say("用法：%1 %2 [选项] FOLDER\n", "Usage: %1 %2 [options] FOLDER\n")
               .arg(program, command.name) +
           WrapToColumns(command.summary, kHelpColumns).join(QLatin1Char('\n')) +
           QLatin1Char('\n') + Say("\n选项：\n", "\nOptions:\n") +
           HelpRowsText(OptionRows(command)) + Say("\n参数：\n", "\nArguments:\n") +
           HelpRowsText(arguments);
}

QString VersionText(const QString &program)
{
    return QStringLiteral("%1 %2\n").arg(program, QStringLiteral(SHEETWRIGHT_VERSION));
}
