#pragma once
// A catalogue of packages built to hurt a reader: zip bombs, lying sizes,
// absurd and duplicate names, missing parts, references leaving the package,
// DTDs, deep nesting and sheets at or past the grid's edges. The reliability
// tests prove each one is refused or handled safely; the fuzz targets start
// from them.

#include "raw_zip.h"

#include <string>
#include <vector>

namespace hostile
{

enum class Expect {
    Refused, // "not opened", with a reason
    Handled, // opened and saved; every entry of the package survives
};

struct HostilePackage {
    std::string name; // a file name, ending in .xlsx
    std::string bytes;
    Expect expect;
};

std::vector<HostilePackage> HostilePackages();

// The parts of a small well-formed workbook with a style table: one sheet
// per given worksheet XML, each at xl/worksheets/sheet<n>.xml.
std::vector<ZipItem> BookParts(const std::vector<std::string> &sheetXml);

// A worksheet part around the given children.
std::string SheetXml(const std::string &children);

} // namespace hostile
