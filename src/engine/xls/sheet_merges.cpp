#include "xls/sheet_merges.h"

#include "biff/biff_bytes.h"
#include "biff/record_ids.h"

#include <algorithm>

namespace engine
{
namespace
{

constexpr size_t kRefSize = 8;    // Ref8: first row, last row, first column, last column
constexpr size_t kMaxRefs = 1026; // what one record holds in BIFF8
// The window settings MERGEDCELLS follows: WINDOW2, PLV, SCL, PANE, SELECTION.
constexpr std::uint16_t kWindowRecords[] = {0x023e, 0x088b, 0x00a0, 0x0041, 0x001d};

void AppendRef(std::string &body, const CellArea &area)
{
    AppendU16(body, std::uint16_t(area.firstRow - 1));
    AppendU16(body, std::uint16_t(area.lastRow - 1));
    AppendU16(body, std::uint16_t(area.firstColumn - 1));
    AppendU16(body, std::uint16_t(area.lastColumn - 1));
}

// After the last MERGEDCELLS, else after the window settings, else before EOF.
size_t AnchorOf(const std::vector<BiffRecord> &records)
{
    size_t merges = 0, window = 0;
    for (const BiffRecord &record : records) {
        if (record.id == biff::kMergedCells)
            merges = record.End();
        if (std::find(std::begin(kWindowRecords), std::end(kWindowRecords), record.id) !=
            std::end(kWindowRecords))
            window = record.End();
    }
    return merges ? merges : window ? window : records.empty() ? 0 : records.back().offset;
}

} // namespace

bool SheetMerges::Load(std::string_view stream, const std::vector<BiffRecord> &records,
                       Error &error)
{
    records_.clear();
    added_.clear();
    anchor_ = AnchorOf(records);
    for (const BiffRecord &record : records) {
        if (record.id != biff::kMergedCells)
            continue;
        const std::string_view body = BodyOf(stream, record);
        const size_t count = body.size() >= 2 ? ReadU16(body, 0) : 0;
        if (body.size() < 2 || body.size() < 2 + count * kRefSize) {
            error.Set(ErrorCode::Damaged, "a MERGEDCELLS record is cut off");
            return false;
        }
        MergeRecord merge{record, {}, std::vector<bool>(count, true)};
        for (size_t i = 0; i < count; ++i) {
            const size_t at = 2 + i * kRefSize;
            merge.areas.push_back(CellArea{ReadU16(body, at) + 1u, ReadU16(body, at + 4) + 1u,
                                           ReadU16(body, at + 2) + 1u, ReadU16(body, at + 6) + 1u});
        }
        records_.push_back(std::move(merge));
    }
    return true;
}

void SheetMerges::UnMerge(const std::optional<CellArea> &area)
{
    for (MergeRecord &merge : records_)
        for (size_t i = 0; i < merge.areas.size(); ++i)
            if (!area || merge.areas[i].Intersects(*area))
                merge.kept[i] = false;
}

void SheetMerges::Merge(const CellArea &area)
{
    added_.push_back(area);
}

std::vector<CellArea> SheetMerges::Areas() const
{
    std::vector<CellArea> areas = added_;
    for (const MergeRecord &merge : records_)
        for (size_t i = 0; i < merge.areas.size(); ++i)
            if (merge.kept[i])
                areas.push_back(merge.areas[i]);
    return areas;
}

bool SheetMerges::Changed() const
{
    return !added_.empty() ||
           std::any_of(records_.begin(), records_.end(), [](const MergeRecord &merge) {
               return std::find(merge.kept.begin(), merge.kept.end(), false) != merge.kept.end();
           });
}

void SheetMerges::AddEdits(std::vector<StreamEdit> &edits) const
{
    for (const MergeRecord &merge : records_) {
        const auto kept = size_t(std::count(merge.kept.begin(), merge.kept.end(), true));
        if (kept == merge.kept.size())
            continue;
        if (kept == 0) {
            edits.push_back(StreamEdit::Remove(merge.record));
            continue;
        }
        std::string body;
        AppendU16(body, std::uint16_t(kept));
        for (size_t i = 0; i < merge.areas.size(); ++i) {
            if (!merge.kept[i])
                continue;
            AppendRef(body, merge.areas[i]);
        }
        edits.push_back(StreamEdit::Replace(merge.record, MakeRecord(biff::kMergedCells, body)));
    }
    std::string added;
    for (size_t first = 0; first < added_.size(); first += kMaxRefs) {
        const size_t count = std::min(kMaxRefs, added_.size() - first);
        std::string body;
        AppendU16(body, std::uint16_t(count));
        for (size_t i = first; i < first + count; ++i)
            AppendRef(body, added_[i]);
        added += MakeRecord(biff::kMergedCells, body);
    }
    if (!added.empty())
        edits.push_back(StreamEdit::InsertAt(anchor_, std::move(added)));
}

} // namespace engine
