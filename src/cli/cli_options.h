#pragma once
// The options every run command takes besides its own, worded in the
// process's language.

#include <QCommandLineOption>

#include <QList>

const QCommandLineOption &HelpOption();
const QCommandLineOption &FirstSheetOption();
const QCommandLineOption &SheetOption();
const QCommandLineOption &JobsOption();
const QCommandLineOption &FilesFromOption();
const QCommandLineOption &DryRunOption();
const QCommandLineOption &QuietOption();
const QCommandLineOption &JsonOption();
const QCommandLineOption &NoBackupOption();
const QCommandLineOption &KeepOption();

// All of the above, in the order the help lists them.
QList<QCommandLineOption> SharedOptions();
