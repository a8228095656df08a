#pragma once
// Running sheetwright-cli as a separate process, as a user or a script does.

#include <QString>
#include <QStringList>

struct CliResult {
    int exitCode = -1;
    QStringList lines; // standard output
    QString errors;
};

CliResult RunCli(const QStringList &arguments);
