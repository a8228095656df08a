#pragma once
// The options of the next run: written by a front end while no run is in
// progress; each run takes its own copy as it begins.

#include <QString>

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
};

extern RunOptions runOptions;
