#include "biff/workbook_stream.h"

#include "biff/biff_bytes.h"
#include "biff/biff_text.h"
#include "biff/record_ids.h"

#include <algorithm>

namespace engine
{

const char kOldVersion[] = "an Excel 5/95 or older workbook: only Excel 97-2003 (BIFF8) .xls "
                           "workbooks are edited";

namespace
{

// BOF records of BIFF2 to BIFF4, which no Workbook stream should hold.
bool IsOldBof(std::uint16_t id)
{
    return id == 0x0009 || id == 0x0209 || id == 0x0409;
}

// The BOF body's version and substream type; false when it is too short.
bool ReadBof(std::string_view stream, const BiffRecord &bof, std::uint16_t &version,
             std::uint16_t &type)
{
    if (bof.length < 4)
        return false;
    version = ReadU16(stream, bof.Body());
    type = ReadU16(stream, bof.Body() + 2);
    return true;
}

// A ShortXLUnicodeString: a count of characters, a flag for two bytes per
// character, the characters.
bool ReadShortName(std::string_view body, std::string &name)
{
    BodyReader reader(body);
    name = reader.String(1);
    return reader.Ok();
}

bool KindOf(std::uint8_t type, BiffSheetKind &kind)
{
    switch (type) {
    case 0:
        kind = BiffSheetKind::Worksheet;
        return true;
    case 1:
        kind = BiffSheetKind::Macro;
        return true;
    case 2:
        kind = BiffSheetKind::Chart;
        return true;
    case 6:
        kind = BiffSheetKind::Module;
        return true;
    default:
        return false;
    }
}

std::uint16_t SubstreamTypeOf(BiffSheetKind kind)
{
    switch (kind) {
    case BiffSheetKind::Macro:
        return biff::kMacroSubstream;
    case BiffSheetKind::Chart:
        return biff::kChartSubstream;
    default:
        return biff::kWorksheetSubstream;
    }
}

std::string Quoted(const std::string &name)
{
    return "sheet \"" + name + "\"";
}

} // namespace

bool WorkbookStream::Parse(std::string bytes, Error &error)
{
    bytes_ = std::move(bytes);
    globals_.clear();
    sheets_.clear();
    return ReadGlobals(error) && ReadSheetList(error) && SheetsApart(error);
}

bool WorkbookStream::ReadGlobals(Error &error)
{
    BiffRecord first;
    if (!ReadRecordAt(bytes_, 0, first, error))
        return false;
    std::uint16_t version = 0;
    std::uint16_t type = 0;
    if (IsOldBof(first.id) || (first.id == biff::kBof && ReadBof(bytes_, first, version, type) &&
                               version != biff::kBiff8Version)) {
        error.Set(ErrorCode::Unsupported, kOldVersion);
        return false;
    }
    if (!ReadSubstream(bytes_, 0, "the records of the workbook globals", globals_, error))
        return false;
    if (type != biff::kGlobalsSubstream) {
        error.Set(ErrorCode::Damaged, "the Workbook stream does not begin with its globals");
        return false;
    }
    const auto isFilePass = [](const BiffRecord &record) { return record.id == biff::kFilePass; };
    if (std::any_of(globals_.begin(), globals_.end(), isFilePass)) {
        error.Set(ErrorCode::Encrypted, "the workbook is encrypted (password protected)");
        return false;
    }
    return true;
}

bool WorkbookStream::ReadSheetList(Error &error)
{
    for (size_t index = 0; index < globals_.size(); ++index) {
        const BiffRecord &record = globals_[index];
        if (record.id != biff::kBoundSheet8)
            continue;
        const std::string_view body = BodyOf(bytes_, record);
        BiffSheet sheet;
        sheet.boundSheet = index;
        if (body.size() < 6 || !KindOf(std::uint8_t(body[5]), sheet.kind) ||
            !ReadShortName(body.substr(6), sheet.name)) {
            error.Set(ErrorCode::Damaged, "a sheet's BOUNDSHEET8 record is damaged");
            return false;
        }
        sheet.position = ReadU32(body, 0);
        if (sheet.kind != BiffSheetKind::Module && !ReadSheetRecords(sheet, error))
            return false;
        sheets_.push_back(std::move(sheet));
    }
    return true;
}

bool WorkbookStream::ReadSheetRecords(BiffSheet &sheet, Error &error) const
{
    const std::string what = "the records of " + Quoted(sheet.name);
    if (sheet.position >= bytes_.size()) {
        error.Set(ErrorCode::Damaged, Quoted(sheet.name) + " lies past the end of the stream");
        return false;
    }
    if (!ReadSubstream(bytes_, sheet.position, what, sheet.records, error))
        return false;
    std::uint16_t version = 0;
    std::uint16_t type = 0;
    if (!ReadBof(bytes_, sheet.records.front(), version, type) || version != biff::kBiff8Version) {
        error.Set(ErrorCode::Unsupported, Quoted(sheet.name) + " is " + kOldVersion);
        return false;
    }
    if (type != SubstreamTypeOf(sheet.kind)) {
        error.Set(ErrorCode::Damaged,
                  Quoted(sheet.name) + "'s records are of another kind of sheet");
        return false;
    }
    return true;
}

// Substreams that overlapped would be edited twice, or the globals through a sheet.
bool WorkbookStream::SheetsApart(Error &error) const
{
    std::vector<std::pair<size_t, size_t>> spans{{0, globals_.back().End()}};
    for (const BiffSheet &sheet : sheets_)
        if (!sheet.records.empty())
            spans.emplace_back(sheet.position, sheet.records.back().End());
    std::sort(spans.begin(), spans.end());
    for (size_t i = 1; i < spans.size(); ++i)
        if (spans[i].first < spans[i - 1].second) {
            error.Set(ErrorCode::Damaged, "two substreams of the workbook overlap");
            return false;
        }
    return true;
}

} // namespace engine
