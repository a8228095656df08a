#pragma once
// The options of the next run: written by a front end while no run is in
// progress; each run takes its own copy as it begins.

#include <QString>
#include <QStringList>

#include <optional>

struct RunOptions {
    QString sourcePath;
    QString templatePath;
    QString lastRowText = QStringLiteral("100");
    bool appointedSheet = false;
    QString appointedSheetName;
    bool onlyFirstSheet = false;
    bool appointedRange = false;
    QString appointedRangeText;
    bool justColWidth = false;
    bool withFormulas = false;
    bool withValues = false;
    QString reportPath;
    // The run's workbooks when a front end names them; otherwise the run
    // walks sourcePath. The report still goes to reportPath.
    std::optional<QStringList> workbookList;
};

extern RunOptions runOptions;
