#pragma once
// Workbooks for tests, written by libxlsxwriter (an independent writer) or,
// for the odd cases no writer produces, assembled part by part.

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace testsupport
{

struct MergedBookShape {
    int sheets = 3;
    int rows = 20;
    int columns = 6;
    int mergesPerSheet = 3; // two-by-two areas down the first columns
};

// Values, numbers and styled cells on every sheet, merged areas as shaped.
bool WriteMergedWorkbook(const QString &path, const MergedBookShape &shape = {});

// Merges on several sheets, styles, formulas, an image, a chart, a comment,
// data validation, a defined name and a chart sheet (the third sheet).
bool WriteRichWorkbook(const QString &path);

// Merged headings with borders, as libxlsxwriter writes them (every cell of
// a merge carries the merge's format): a box-bordered heading A1:D1 and a
// block A3:B5 whose four sides differ, above a bordered table A6:D8.
bool WriteBorderedMergesWorkbook(const QString &path);

using PackageEntries = std::vector<std::pair<QString, QByteArray>>;

enum class Compression { Deflate, Store };

// A zip package of the given entries, in order.
bool WritePackage(const QString &path, const PackageEntries &entries,
                  Compression compression = Compression::Deflate);

// The parts of a minimal workbook whose sheets have the given worksheet XML;
// sheet i is named "Sheet<i+1>" at xl/worksheets/sheet<i+1>.xml.
PackageEntries MinimalWorkbookParts(const std::vector<QByteArray> &sheetXml);

// A worksheet part whose root and children carry the given extra text.
QByteArray WorksheetXml(const QByteArray &children);

} // namespace testsupport
