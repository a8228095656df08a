#include "xls/cell_formats.h"

#include "biff/biff_bytes.h"

#include <algorithm>

namespace engine
{
namespace
{

// Cell records that start with row, column and ixfe ([MS-XLS] Cell).
constexpr std::uint16_t kSingleCells[] = {
    0x0201, // BLANK
    0x0203, // NUMBER
    0x027e, // RK
    0x00fd, // LABELSST
    0x0204, // LABEL
    0x0205, // BOOLERR
    0x0006, // FORMULA
};
constexpr std::uint16_t kMulBlank = 0x00be;
constexpr std::uint16_t kMulRk = 0x00bd;

} // namespace

bool CellFormats::Load(std::string_view stream, const std::vector<BiffRecord> &records,
                       Error &error)
{
    for (const BiffRecord &record : records)
        if (!AddRecord(stream, record, error))
            return false;
    return true;
}

bool CellFormats::AddRecord(std::string_view stream, const BiffRecord &record, Error &error)
{
    const bool single = std::find(std::begin(kSingleCells), std::end(kSingleCells), record.id) !=
                        std::end(kSingleCells);
    if (!single && record.id != kMulBlank && record.id != kMulRk)
        return true;
    const std::string_view body = BodyOf(stream, record);
    // A run: row, first column, a field per cell, last column.
    const size_t each = record.id == kMulRk ? 6 : 2;
    const bool fits =
        single ? body.size() >= 6 : body.size() >= 6 + each && (body.size() - 6) % each == 0;
    if (!fits) {
        error.Set(ErrorCode::Damaged, "a cell record is shorter than its fields");
        return false;
    }
    const std::uint32_t row = ReadU16(body, 0);
    const std::uint32_t first = ReadU16(body, 2);
    const size_t count = single ? 1 : (body.size() - 6) / each;
    if (!single && ReadU16(body, body.size() - 2) != first + count - 1) {
        error.Set(ErrorCode::Damaged, "a run of cells names columns it does not hold");
        return false;
    }
    for (size_t k = 0; k < count; ++k)
        cells_[{row, first + std::uint32_t(k)}] = Place{records_.size(), 4 + k * each};
    records_.push_back({record, std::string(body), false});
    return true;
}

std::optional<std::uint16_t> CellFormats::FormatAt(std::uint32_t row, std::uint32_t column) const
{
    const auto found = cells_.find({row, column});
    if (found == cells_.end())
        return std::nullopt;
    return ReadU16(records_[found->second.record].body, found->second.ixfeField);
}

bool CellFormats::SetFormat(std::uint32_t row, std::uint32_t column, std::uint16_t ixfe)
{
    const auto found = cells_.find({row, column});
    if (found == cells_.end())
        return false;
    CellRecord &cell = records_[found->second.record];
    if (ReadU16(cell.body, found->second.ixfeField) != ixfe) {
        PutU16(cell.body, found->second.ixfeField, ixfe);
        cell.changed = true;
    }
    return true;
}

bool CellFormats::Changed() const
{
    return std::any_of(records_.begin(), records_.end(),
                       [](const CellRecord &cell) { return cell.changed; });
}

void CellFormats::AddEdits(std::vector<StreamEdit> &edits) const
{
    for (const CellRecord &cell : records_)
        if (cell.changed)
            edits.push_back(
                StreamEdit::Replace(cell.record, MakeRecord(cell.record.id, cell.body)));
}

} // namespace engine
