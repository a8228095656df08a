#include "python_check.h"

#include <QJsonDocument>
#include <QProcess>

namespace testsupport
{
namespace
{

const char kSnapshotScript[] = R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
out = {}
for sheet in book.worksheets:
    cells = {}
    for row in sheet.iter_rows():
        for c in row:
            if c.value is None and not c.has_style:
                continue
            f = c.font
            cells[c.coordinate] = [
                None if c.value is None else str(c.value), c.number_format,
                bool(f.b), bool(f.i), str(f.color.rgb) if f.color else None,
                c.fill.fill_type, str(c.fill.fgColor.rgb),
                c.border.left.style, c.border.top.style,
                c.alignment.horizontal, c.alignment.vertical]
    out[sheet.title] = {"merges": sorted(str(r) for r in sheet.merged_cells.ranges),
                        "cells": cells}
print(json.dumps(out))
)";

} // namespace

PythonResult RunPython(const QString &script, const QStringList &arguments)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral("-c"), script} + arguments);
    PythonResult result;
    if (!python.waitForFinished(120000))
        return result;
    result.ok = python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0;
    result.output = QString::fromUtf8(python.readAllStandardOutput());
    result.errors = QString::fromUtf8(python.readAllStandardError());
    return result;
}

QJsonObject WorkbookSnapshot(const QString &path)
{
    const PythonResult result = RunPython(QString::fromUtf8(kSnapshotScript), {path});
    if (!result.ok)
        return {};
    return QJsonDocument::fromJson(result.output.toUtf8()).object();
}

} // namespace testsupport
