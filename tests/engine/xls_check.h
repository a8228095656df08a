#pragma once
// Legacy .xls workbooks for tests, written by xlwt (an independent BIFF8
// writer), and what independent readers see in them: xlrd for cells, merges
// and widths, a record-by-record comparison of two Workbook streams.

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace xlscheck
{

// Three sheets: "Data" with many distinct strings (a shared string table
// continued in CONTINUE records), merged areas (one across row blocks, two in
// one MERGEDCELLS record), set and hidden column widths; "第二" with a merge;
// "Empty". Also writes its Workbook stream to `streamPath`.
bool WriteXlwtWorkbook(const QString &xlsPath, const QString &streamPath);

// Per sheet, as xlrd reads the file or bare Workbook stream at `path`:
// {"Data": {"merges": [[r0, r1, c0, c1]...], "cells": {"r,c": [type, value, xf]},
//           "columns": {"c": [width, hidden, xf]}}}; empty when xlrd fails.
QJsonObject XlrdView(const QString &path);

// The record types whose records differ between two Workbook streams, the
// positions the streams hold of their own records left aside; sorted, each
// once, as "0x00e5". Empty with `ok` false when either cannot be walked.
QStringList DifferingRecordTypes(const QString &before, const QString &after, bool &ok);

// Whether the positions a Workbook stream holds of its own records point at
// them: each BOUNDSHEET8 at a BOF, each INDEX at DEFCOLWIDTH and DBCELLs,
// each DBCELL back at a ROW, each EXTSST entry into the string table at the
// offset its record says.
bool StreamPositionsHold(const QString &streamPath);

// The workbook as LibreOffice saves it as .xls (a writer with an EXTSST
// index); false when LibreOffice is not installed or fails.
bool ConvertWithLibreOffice(const QString &xlsPath, const QString &outputFolder);

} // namespace xlscheck
