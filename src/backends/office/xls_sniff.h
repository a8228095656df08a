#pragma once
// Looking inside a legacy .xls file before LibreOffice does: LibreOffice
// opens a 0-byte file as a blank workbook (and would save it over the
// file), upgrades Excel 5/95 workbooks to the 97 format, and saves some
// encrypted ones decrypted. Such files are refused with the reason.

#include <string>

namespace office
{

enum class XlsKind {
    Biff8,       // Excel 97 to 2003: LibreOffice may edit it
    Empty,       // 0 bytes
    NotXls,      // not an OLE compound file holding a workbook stream
    Encrypted,   // a password-protected workbook (FILEPASS, or OOXML encryption)
    OlderFormat, // Excel 5/95 (BIFF5) or older
    Unreadable,  // the file cannot be read
};

XlsKind SniffXls(const std::string &path);

// Empty for Biff8, else why the workbook is not opened.
std::string RefusalOf(XlsKind kind);

} // namespace office
