#include "xls/cell_formats.h"

#include "biff/biff_bytes.h"
#include "biff/record_ids.h"

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
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kMulBlank = 0x00be;
constexpr std::uint16_t kMulRk = 0x00bd;
constexpr std::uint16_t kDefaultRowHeight = 0x0225;
// ROW flags: reserved bit 8 set, ixfe 15 (unused without fGhostDirty).
constexpr std::uint32_t kPlainRowFlags = 0x000f0100;
// Records that belong to the cell record before them.
constexpr std::uint16_t kFollowers[] = {
    0x0207, // STRING: a formula's text result
    0x04bc, // SHRFMLA
    0x0221, // ARRAY
    0x0236, // TABLE
    biff::kContinue,
};

template <typename Ids> bool Among(const Ids &ids, std::uint16_t id)
{
    return std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

} // namespace

bool CellFormats::Load(std::string_view stream, const std::vector<BiffRecord> &records,
                       Error &error)
{
    bool following = false; // the last record was a cell or belongs to one
    for (const BiffRecord &record : records) {
        if (following && Among(kFollowers, record.id)) {
            records_.back().end = record.End();
            continue;
        }
        const size_t cells = records_.size();
        if (!AddRecord(stream, record, error))
            return false;
        following = records_.size() > cells;
        const std::string_view body = BodyOf(stream, record);
        if (record.id == biff::kRow && body.size() >= 6)
            rows_.emplace(ReadU16(body, 0), Rewritten{record, std::string(body)});
        if (record.id == biff::kDimensions && body.size() >= 12 && !dimensions_) {
            dimensions_ = Rewritten{record, std::string(body)};
            afterDimensions_ = record.End();
        }
        if (record.id == kDefaultRowHeight && body.size() >= 4)
            defaultHeight_ = ReadU16(body, 2);
        rowBlocks_ = rowBlocks_ || record.id == biff::kIndex || record.id == biff::kDbCell;
    }
    return true;
}

bool CellFormats::AddRecord(std::string_view stream, const BiffRecord &record, Error &error)
{
    const bool single = Among(kSingleCells, record.id);
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
    records_.push_back({record, std::string(body), false, record.End(), {}});
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

bool CellFormats::InRowBlock(std::uint32_t row) const
{
    const auto first = cells_.lower_bound({row, 0});
    return rows_.count(row) && first != cells_.end() && first->first.first == row;
}

bool CellFormats::RowTakesCells(std::uint32_t row) const
{
    return InRowBlock(row) || (!rowBlocks_ && dimensions_ && row < kXlsRows);
}

bool CellFormats::AddBlank(std::uint32_t row, std::uint32_t column, std::uint16_t ixfe)
{
    if (!RowTakesCells(row) || cells_.count({row, column}) || column > 0xff)
        return false;
    std::string blank;
    for (std::uint32_t field : {row, column, std::uint32_t(ixfe)})
        AppendU16(blank, std::uint16_t(field));
    blank = MakeRecord(kBlank, blank);
    if (dimensions_) {
        Widen(*dimensions_, 8, 10, std::uint16_t(column));
        WidenRows(*dimensions_, row);
    }
    const auto first = cells_.lower_bound({row, 0});
    if (first == cells_.end() || first->first.first != row) {
        AddToNewRow(row, column, blank);
        return true;
    }
    const auto next = cells_.lower_bound({row, column});
    if (next == first) // the row's new first cell, where its DBCELL offset points
        records_[next->second.record].before += blank;
    else if (next != cells_.end() && next->first.first == row)
        inserts_[records_[next->second.record].record.offset].push_back({{}, blank});
    else // after the row's last cell
        inserts_[records_[std::prev(next)->second.record].end].push_back({{}, blank});
    if (rows_.count(row))
        Widen(rows_.at(row), 2, 4, std::uint16_t(column));
    return true;
}

// Cells of a row that has none yet, in a sheet without row blocks: after
// those of the rows before it, and a ROW record where it has none.
void CellFormats::AddToNewRow(std::uint32_t row, std::uint32_t column, const std::string &blank)
{
    if (rows_.count(row)) {
        Widen(rows_.at(row), 2, 4, std::uint16_t(column));
    } else {
        if (!newRows_.count(row))
            inserts_[RowPlace(row)].push_back({row, {}});
        NewRow &bounds = newRows_[row];
        bounds.first = std::min(bounds.first, std::uint16_t(column));
        bounds.end = std::max(bounds.end, std::uint16_t(column + 1));
    }
    inserts_[CellsPlace(row)].push_back({{}, blank});
}

size_t CellFormats::RowPlace(std::uint32_t row) const
{
    const auto later = rows_.upper_bound(row);
    if (later != rows_.end())
        return later->second.record.offset;
    return rows_.empty() ? CellsPlace(row) : rows_.rbegin()->second.record.End();
}

size_t CellFormats::CellsPlace(std::uint32_t row) const
{
    const auto later = cells_.lower_bound({row + 1, 0});
    if (later != cells_.end())
        return records_[later->second.record].record.offset;
    if (!cells_.empty())
        return records_[cells_.rbegin()->second.record].end;
    return rows_.empty() ? afterDimensions_ : rows_.rbegin()->second.record.End();
}

std::string CellFormats::RowRecord(std::uint32_t row, const NewRow &bounds) const
{
    std::string body;
    for (std::uint16_t field : {std::uint16_t(row), bounds.first, bounds.end, defaultHeight_,
                                std::uint16_t(0), std::uint16_t(0)})
        AppendU16(body, field);
    AppendU32(body, kPlainRowFlags);
    return MakeRecord(biff::kRow, body);
}

// Rows as DIMENSIONS holds them: the first, and one past the last.
void CellFormats::WidenRows(Rewritten &dimensions, std::uint32_t row)
{
    if (row < ReadU32(dimensions.body, 0)) {
        PutU32(dimensions.body, 0, row);
        dimensions.changed = true;
    }
    if (row + 1 > ReadU32(dimensions.body, 4)) {
        PutU32(dimensions.body, 4, row + 1);
        dimensions.changed = true;
    }
}

// Column bounds as ROW and DIMENSIONS hold them: the first, and one past the last.
void CellFormats::Widen(Rewritten &record, size_t first, size_t end, std::uint16_t column)
{
    if (column < ReadU16(record.body, first)) {
        PutU16(record.body, first, column);
        record.changed = true;
    }
    if (column + 1u > ReadU16(record.body, end)) {
        PutU16(record.body, end, std::uint16_t(column + 1));
        record.changed = true;
    }
}

bool CellFormats::Changed() const
{
    return !inserts_.empty() ||
           std::any_of(records_.begin(), records_.end(),
                       [](const CellRecord &cell) { return cell.changed || !cell.before.empty(); });
}

void CellFormats::AddEdits(std::vector<StreamEdit> &edits) const
{
    for (const CellRecord &cell : records_)
        if (cell.changed || !cell.before.empty())
            edits.push_back(StreamEdit::Replace(
                cell.record, cell.before + MakeRecord(cell.record.id, cell.body)));
    for (const auto &[offset, pieces] : inserts_) {
        std::string bytes;
        for (const Inserted &piece : pieces)
            bytes +=
                piece.newRow ? RowRecord(*piece.newRow, newRows_.at(*piece.newRow)) : piece.bytes;
        edits.push_back(StreamEdit::InsertAt(offset, bytes));
    }
    std::vector<const Rewritten *> rewritten;
    for (const auto &[number, row] : rows_)
        rewritten.push_back(&row);
    if (dimensions_)
        rewritten.push_back(&*dimensions_);
    for (const Rewritten *record : rewritten)
        if (record->changed)
            edits.push_back(
                StreamEdit::Replace(record->record, MakeRecord(record->record.id, record->body)));
}

} // namespace engine
