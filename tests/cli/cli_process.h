#pragma once
// Running sheetwright-cli as a separate process, as a user or a script does.

#include "cli_locale.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

struct CliResult {
    int exitCode = -1;
    QString output;    // standard output as written
    QStringList lines; // its non-empty lines
    QString errors;
};

// Runs under `locale` (empty: none set), with `input` on standard input.
CliResult RunCli(const QStringList &arguments, const QString &locale = testsupport::kEnglishLocale,
                 const QByteArray &input = QByteArray());
