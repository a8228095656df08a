#pragma once
// A BIFF8 Workbook stream read as its substreams: the globals, and one per
// sheet at the position its BOUNDSHEET8 record gives. Only what is needed to
// find records is parsed; the bytes themselves stay as they were.

#include "biff/record_reader.h"
#include "engine/error.h"

#include <string>
#include <vector>

namespace engine
{

enum class BiffSheetKind {
    Worksheet, // or dialog sheet
    Macro,
    Chart,
    Module, // a VBA module: no substream of its own in BIFF8
};

struct BiffSheet {
    std::string name; // UTF-8
    BiffSheetKind kind = BiffSheetKind::Worksheet;
    size_t boundSheet = 0;           // index of its BOUNDSHEET8 among the globals' records
    size_t position = 0;             // lbPlyPos: where its BOF is
    std::vector<BiffRecord> records; // BOF to EOF; none for a module
};

class WorkbookStream
{
  public:
    // Refuses, with the reason, encrypted (FILEPASS) and pre-BIFF8
    // workbooks and any structure that points outside the stream.
    bool Parse(std::string bytes, Error &error);

    const std::string &Bytes() const { return bytes_; }
    std::string TakeBytes() { return std::move(bytes_); }
    const std::vector<BiffRecord> &Globals() const { return globals_; }
    const std::vector<BiffSheet> &Sheets() const { return sheets_; }

  private:
    bool ReadGlobals(Error &error);
    bool ReadSheetList(Error &error);
    bool ReadSheetRecords(BiffSheet &sheet, Error &error) const;
    bool SheetsApart(Error &error) const;

    std::string bytes_;
    std::vector<BiffRecord> globals_;
    std::vector<BiffSheet> sheets_;
};

} // namespace engine
