#include "cli/cli_run.h"

#include "cli/cli_command.h"
#include "cli/cli_help.h"
#include "cli/cli_options.h"
#include "cli/cli_texts.h"
#include "cli/dry_run.h"
#include "cli/file_list.h"
#include "cli/history_commands.h"
#include "cli/worker_run.h"
#include "worker/run_report.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace
{

constexpr int kMostJobs = 64;

const CliCommand *FindCommand(const QString &name)
{
    for (const CliCommand &command : CliCommands())
        if (command.name == name)
            return &command;
    return nullptr;
}

void SetUpParser(QCommandLineParser &parser, const CliCommand &command)
{
    parser.addOptions(SharedOptions());
    if (command.options)
        parser.addOptions(command.options());
}

// The folder text always ends with a separator, so the report lands inside.
QString NormalisedFolder(const QString &folder)
{
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return QDir::toNativeSeparators(path);
}

// The folder named on the command line; with a file list it may be left out,
// and the report then goes into the current folder.
QString FolderOf(const QCommandLineParser &parser, QString &problem)
{
    const QStringList positional = parser.positionalArguments();
    const bool listed = parser.isSet(FilesFromOption());
    if (positional.size() == 1 && listed)
        return QDir::currentPath();
    if (positional.size() != 2) {
        problem = Say("需要正好一个 FOLDER", "expected exactly one FOLDER");
        return QString();
    }
    if (!QFileInfo(positional[1]).isDir())
        problem = Say("不是文件夹：", "not a folder: ") + positional[1];
    return positional[1];
}

// Fills the options the commands share; returns a usage error or "".
QString FillSharedOptions(const QCommandLineParser &parser, RunOptions &options)
{
    QString problem;
    const QString folder = FolderOf(parser, problem);
    if (!problem.isEmpty())
        return problem;
    options = RunOptions();
    options.sourcePath = NormalisedFolder(folder);
    options.reportPath = RunReportPath(options.sourcePath);
    options.onlyFirstSheet = parser.isSet(FirstSheetOption());
    options.appointedSheet = parser.isSet(SheetOption());
    options.appointedSheetName = parser.value(SheetOption());
    options.keepOriginals = !parser.isSet(NoBackupOption());
    bool number = false;
    options.keptRuns = parser.value(KeepOption()).toInt(&number);
    if (!number || options.keptRuns < 1 || options.keptRuns > 1000)
        return Say("--keep 必须是 1 到 1000 之间的数", "--keep must be a number from 1 to 1000");
    return QString();
}

// The number of workbooks worked on at once; 0 when the option is wrong.
int JobsOf(const QCommandLineParser &parser)
{
    if (!parser.isSet(JobsOption()))
        return QThread::idealThreadCount();
    bool number = false;
    const int jobs = parser.value(JobsOption()).toInt(&number);
    return number && jobs >= 1 && jobs <= kMostJobs ? jobs : 0;
}

// Fills the request; returns a usage error or "".
QString FillRequest(const QCommandLineParser &parser, RunRequest &request)
{
    request.jobs = JobsOf(parser);
    if (request.jobs == 0)
        return Say("--jobs 必须是 1 到 %1 之间的数", "--jobs must be a number from 1 to %1")
            .arg(kMostJobs);
    request.quiet = parser.isSet(QuietOption());
    request.json = parser.isSet(JsonOption());
    if (!parser.isSet(FilesFromOption()))
        return QString();
    QString error;
    request.listed.emplace();
    ReadFileListFrom(parser.value(FilesFromOption()), *request.listed, error);
    return error;
}

int UsageError(const QString &message, const QString &program, QTextStream &err)
{
    err << program << ": " << message << '\n' << ProgramHelp(program);
    return CliBadUsage;
}

// A command understood but given a value it cannot use: the message and
// where the help is, without the whole usage text around it.
int OptionError(const QString &message, const QString &program, const CliCommand &command,
                QTextStream &err)
{
    err << program << ": " << message << '\n'
        << Say("用法见：%1 %2 --help", "see: %1 %2 --help").arg(program, command.name) << '\n';
    return CliBadUsage;
}

int RunCommand(const CliCommand &command, const QStringList &arguments, QTextStream &out,
               QTextStream &err)
{
    const QString program = QFileInfo(arguments.value(0)).fileName();
    QCommandLineParser parser;
    SetUpParser(parser, command);
    if (!parser.parse(arguments))
        return UsageError(ParserErrorText(parser.errorText()), program, err);
    if (parser.isSet(HelpOption())) {
        out << CommandHelp(program, command);
        return CliAllDone;
    }
    QString problem = FillSharedOptions(parser, runOptions);
    if (problem.isEmpty() && command.fillOptions)
        problem = command.fillOptions(parser, runOptions);
    RunRequest request;
    if (problem.isEmpty())
        problem = FillRequest(parser, request);
    if (!problem.isEmpty())
        return OptionError(problem, program, command, err);
    if (parser.isSet(DryRunOption()))
        return PrintDryRun({runOptions.sourcePath, request.listed, request.json}, out);
    return PerformRun(command, request, out, err);
}

} // namespace

int RunCli(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString program = QFileInfo(arguments.value(0)).fileName();
    const QString name = arguments.value(1);
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        out << ProgramHelp(program);
        return CliAllDone;
    }
    if (name == QLatin1String("--version")) {
        out << VersionText(program);
        return CliAllDone;
    }
    if (IsHistoryCommand(name))
        return RunHistoryCommand(arguments, out, err);
    if (const CliCommand *command = FindCommand(name))
        return RunCommand(*command, arguments, out, err);
    return UsageError(name.isEmpty() ? Say("缺少命令", "missing command")
                                     : Say("未知命令：", "unknown command: ") + name,
                      program, err);
}
