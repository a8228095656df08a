#pragma once
// The legacy workbooks of the office tests, made by xls_fixtures.py, and
// what xlrd reads in a workbook.

#include <QJsonObject>
#include <QString>

bool MakeXlsFixtures(const QString &folder);
// array.xls and filtered.xls, made by a LibreOffice of their own.
bool MakeRefusalFixtures(const QString &folder);
// An empty object when xlrd cannot read the file.
QJsonObject XlsSnapshot(const QString &path);
