#pragma once
// Reading workbooks with openpyxl, in a subprocess of the system Python
// (/usr/bin/python3: another python3 earlier on PATH may lack openpyxl).

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace testsupport
{

struct PythonResult {
    bool ok = false; // exited with 0
    QString output;  // standard output
    QString errors;  // standard error
};

PythonResult RunPython(const QString &script, const QStringList &arguments = {});

// For every worksheet: its merged areas and each cell's value and style
// (font, fill, border, alignment, number format), as openpyxl reads them:
// {"Sheet": {"merges": [...], "cells": {"A1": [...]}}}; an empty object
// when openpyxl cannot read the file.
QJsonObject WorkbookSnapshot(const QString &path);

} // namespace testsupport
