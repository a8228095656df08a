#include "cli/cli_run.h"

#include "cli/cli_command.h"
#include "cli/history_commands.h"
#include "worker/run_report.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace
{

const QCommandLineOption
    kFirstSheetOption(QStringLiteral("first-sheet"),
                      QStringLiteral("Work on the first sheet of each workbook only."));
const QCommandLineOption
    kSheetOption(QStringLiteral("sheet"),
                 QStringLiteral("Work only on the sheets named exactly NAME (case-sensitive)."),
                 QStringLiteral("NAME"));
const QCommandLineOption
    kJobsOption(QStringLiteral("jobs"),
                QStringLiteral("Work on N workbooks at once (1 to 64; default: one per core)."),
                QStringLiteral("N"));
constexpr int kMostJobs = 64;

const CliCommand *FindCommand(const QString &name)
{
    for (const CliCommand &command : CliCommands())
        if (command.name == name)
            return &command;
    return nullptr;
}

QString ProgramHelp(const QString &program)
{
    QString text = QStringLiteral("Usage: %1 COMMAND FOLDER [options]\n\nCommands:\n").arg(program);
    for (const CliCommand &command : CliCommands())
        text += QStringLiteral("  %1  %2\n").arg(command.name, command.summary);
    text += HistoryCommandsHelp();
    text += QStringLiteral("\nRun \"%1 COMMAND --help\" for the options of a command.\n"
                           "Exit status: 0 every workbook done, 1 some workbook failed (see the "
                           "run report in FOLDER), 2 bad usage or missing folder.\n")
                .arg(program);
    return text;
}

// Returns the help option, so that its short and long forms are both seen.
QCommandLineOption SetUpParser(QCommandLineParser &parser, const CliCommand &command)
{
    parser.setApplicationDescription(command.summary);
    const QCommandLineOption help = parser.addHelpOption();
    parser.addPositionalArgument(command.name, QStringLiteral("The command."));
    parser.addPositionalArgument(
        QStringLiteral("FOLDER"),
        QStringLiteral("The folder whose workbooks (and those of its sub-folders) are processed; "
                       "the run report of failures is written into it."));
    parser.addOption(kFirstSheetOption);
    parser.addOption(kSheetOption);
    parser.addOption(kJobsOption);
    if (command.addOptions)
        command.addOptions(parser);
    return help;
}

// The folder text always ends with a separator, so the report lands inside.
QString NormalisedFolder(const QString &folder)
{
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return QDir::toNativeSeparators(path);
}

// Fills the options the commands share; returns a usage error or "".
QString FillSharedOptions(const QCommandLineParser &parser, RunOptions &options)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return QStringLiteral("expected exactly one FOLDER");
    if (!QFileInfo(positional[1]).isDir())
        return QStringLiteral("not a folder: ") + positional[1];
    options = RunOptions();
    options.sourcePath = NormalisedFolder(positional[1]);
    options.reportPath = RunReportPath(options.sourcePath);
    options.onlyFirstSheet = parser.isSet(kFirstSheetOption);
    options.appointedSheet = parser.isSet(kSheetOption);
    options.appointedSheetName = parser.value(kSheetOption);
    return QString();
}

// The number of workbooks worked on at once; 0 when the option is wrong.
int JobsOf(const QCommandLineParser &parser)
{
    if (!parser.isSet(kJobsOption))
        return QThread::idealThreadCount();
    bool number = false;
    const int jobs = parser.value(kJobsOption).toInt(&number);
    return number && jobs >= 1 && jobs <= kMostJobs ? jobs : 0;
}

int Run(const CliCommand &command, int jobs, QTextStream &out, QTextStream &err)
{
    // An old report would otherwise outlive a run without failures.
    QFile::remove(runOptions.reportPath);
    MergeObject worker(QStringLiteral("tem"), nullptr);
    worker.SetReportViewer({});
    worker.SetJobs(jobs);
    QObject::connect(&worker, &MergeObject::ShowDisposingFile, [&out](const QString &text) {
        out << text << '\n';
        out.flush();
    });
    (worker.*command.run)();
    const QStringList failures = worker.Failures();
    for (int i = 0; i < failures.size(); ++i)
        err << "failed: " << failures[i] << ": " << worker.FailureReasons().value(i) << '\n';
    if (!failures.isEmpty() && QFileInfo::exists(runOptions.reportPath))
        out << "report: " << runOptions.reportPath << '\n';
    const bool allDone = failures.isEmpty() && worker.LastRunEnd() == RunEnd::Completed;
    return allDone ? CliAllDone : CliSomeFailed;
}

int UsageError(const QString &message, const QString &program, QTextStream &err)
{
    err << program << ": " << message << '\n' << ProgramHelp(program);
    return CliBadUsage;
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
    if (IsHistoryCommand(name))
        return RunHistoryCommand(arguments, out, err);
    const CliCommand *command = FindCommand(name);
    if (!command)
        return UsageError(name.isEmpty() ? QStringLiteral("missing command")
                                         : QStringLiteral("unknown command: ") + name,
                          program, err);
    QCommandLineParser parser;
    const QCommandLineOption help = SetUpParser(parser, *command);
    if (!parser.parse(arguments))
        return UsageError(parser.errorText(), program, err);
    if (parser.isSet(help) || parser.optionNames().contains(QStringLiteral("help-all"))) {
        out << parser.helpText();
        return CliAllDone;
    }
    QString problem = FillSharedOptions(parser, runOptions);
    if (problem.isEmpty() && command->fillOptions)
        problem = command->fillOptions(parser, runOptions);
    const int jobs = JobsOf(parser);
    if (problem.isEmpty() && jobs == 0)
        problem = QStringLiteral("--jobs must be a number from 1 to %1").arg(kMostJobs);
    if (!problem.isEmpty())
        return UsageError(problem, program, err);
    return Run(*command, jobs, out, err);
}
