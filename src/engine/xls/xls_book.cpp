#include "xls/xls_book.h"

#include "biff/biff_bytes.h"
#include "biff/record_ids.h"
#include "transfer/clipboard_snapshot.h"
#include "transfer/paste_area.h"
#include "xls/paste_cell_formats.h"
#include "xls/sheet_records.h"

#include <algorithm>

namespace engine
{
namespace
{

// DIMENSIONS: first row, last row + 1, first column, last column + 1.
std::optional<CellArea> ReadDimensions(std::string_view stream,
                                       const std::vector<BiffRecord> &records)
{
    for (const BiffRecord &record : records) {
        if (record.id != biff::kDimensions || record.length < 12)
            continue;
        const std::string_view body = BodyOf(stream, record);
        const std::uint32_t firstRow = ReadU32(body, 0);
        const std::uint32_t endRow = ReadU32(body, 4);
        const std::uint32_t firstColumn = ReadU16(body, 8);
        const std::uint32_t endColumn = ReadU16(body, 10);
        if (endRow <= firstRow || endColumn <= firstColumn || endRow > kMaxRow ||
            endColumn > kMaxColumn)
            return std::nullopt;
        return CellArea{firstRow + 1, firstColumn + 1, endRow, endColumn};
    }
    return std::nullopt;
}

void Cover(CellArea &box, const CellArea &area)
{
    box.firstRow = std::min(box.firstRow, area.firstRow);
    box.firstColumn = std::min(box.firstColumn, area.firstColumn);
    box.lastRow = std::max(box.lastRow, area.lastRow);
    box.lastColumn = std::max(box.lastColumn, area.lastColumn);
}

} // namespace

bool XlsBook::Load(std::string stream, Error &error)
{
    if (!stream_.Parse(std::move(stream), error))
        return false;
    sheets_.clear();
    sheets_.resize(stream_.Sheets().size());
    return true;
}

XlsBook::SheetState *XlsBook::Sheet(size_t sheet, Error &error)
{
    if (sheet >= sheets_.size() || stream_.Sheets()[sheet].kind != BiffSheetKind::Worksheet) {
        error.Set(ErrorCode::Unsupported, "the sheet has no cells");
        return nullptr;
    }
    if (sheets_[sheet])
        return sheets_[sheet].get();
    auto state = std::make_unique<SheetState>();
    const std::vector<BiffRecord> records = OwnRecords(stream_.Sheets()[sheet].records);
    const std::string &bytes = stream_.Bytes();
    if (!state->merges.Load(bytes, records, error) || !state->columns.Load(bytes, records, error) ||
        !state->cells.Load(bytes, records, error)) {
        error.message = "sheet \"" + stream_.Sheets()[sheet].name + "\": " + error.message;
        return nullptr;
    }
    state->dimensions = ReadDimensions(bytes, records);
    sheets_[sheet] = std::move(state);
    return sheets_[sheet].get();
}

bool XlsBook::UnMerge(size_t sheet, const std::optional<CellArea> &area, Error &error)
{
    SheetState *state = Sheet(sheet, error);
    if (state)
        state->merges.UnMerge(area);
    return state != nullptr;
}

bool XlsBook::UsedArea(size_t sheet, CellArea &area, Error &error)
{
    SheetState *state = Sheet(sheet, error);
    if (!state)
        return false;
    std::optional<CellArea> box = state->dimensions;
    for (const CellArea &merge : state->merges.Areas()) {
        if (box)
            Cover(*box, merge);
        else
            box = merge;
    }
    area = box.value_or(CellArea{});
    return true;
}

bool XlsBook::SetColumnWidths(size_t sheet, const std::vector<ColumnWidth> &widths, Error &error)
{
    SheetState *state = Sheet(sheet, error);
    if (!state)
        return false;
    for (const ColumnWidth &width : widths)
        state->columns.SetWidth(width.first, width.last, width.width);
    return true;
}

GlobalsFormats *XlsBook::Formats(Error &error)
{
    if (formats_)
        return formats_.get();
    auto formats = std::make_unique<GlobalsFormats>();
    if (!formats->Load(stream_, error))
        return nullptr;
    formats_ = std::move(formats);
    return formats_.get();
}

bool XlsBook::PasteCellFormats(size_t sheet, const ClipboardSnapshot &snapshot,
                               const CellArea &target, long rows, long columns, Error &error)
{
    SheetState *state = Sheet(sheet, error);
    GlobalsFormats *formats = state ? Formats(error) : nullptr;
    if (!formats)
        return false;
    // What lands past the sheet's edge is cut off, as on a worksheet of Excel 97.
    CellArea onSheet = target;
    onSheet.lastRow = std::min(onSheet.lastRow, kXlsRows);
    onSheet.lastColumn = std::min(onSheet.lastColumn, kXlsColumns);
    const bool inside =
        onSheet.firstRow <= onSheet.lastRow && onSheet.firstColumn <= onSheet.lastColumn;
    if (inside && !PasteFormatsOnto(snapshot, {onSheet, rows, columns}, state->cells,
                                    formats->Table(), error))
        return false;
    state->merges.UnMerge(onSheet);
    for (const CellArea &merge : snapshot.merges) {
        CellArea moved;
        if (inside && Moved(merge, {rows, columns}, moved) && moved.lastRow <= kXlsRows &&
            moved.lastColumn <= kXlsColumns)
            state->merges.Merge(moved);
    }
    return true;
}

bool XlsBook::Changed() const
{
    return (formats_ && formats_->Changed()) ||
           std::any_of(sheets_.begin(), sheets_.end(), [](const auto &state) {
               return state && (state->merges.Changed() || state->columns.Changed() ||
                                state->cells.Changed());
           });
}

bool XlsBook::EditedStream(std::string &edited, Error &error) const
{
    std::vector<StreamEdit> edits;
    for (const auto &state : sheets_) {
        if (!state)
            continue;
        state->merges.AddEdits(edits);
        state->cells.AddEdits(edits);
        if (!state->columns.AddEdits(edits, error))
            return false;
    }
    if (formats_)
        formats_->AddEdits(edits);
    if (edits.empty()) {
        edited = stream_.Bytes();
        return true;
    }
    return ApplyEdits(stream_, std::move(edits), edited, error);
}

} // namespace engine
