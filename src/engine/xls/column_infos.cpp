#include "xls/column_infos.h"

#include "biff/biff_bytes.h"
#include "biff/record_ids.h"

#include <algorithm>

namespace engine
{
namespace
{

constexpr size_t kBodySize = 12; // first, last, width, format, options, reserved
constexpr size_t kMinimumBody = 10;
constexpr std::uint16_t kDefaultCellFormat = 15;
constexpr std::uint16_t kUserSet = 0x0002; // fUserSet: the width was set, not the default

} // namespace

bool ColumnInfos::Range::operator==(const Range &other) const
{
    return first == other.first && last == other.last && body == other.body;
}

bool ColumnInfos::Range::SameBut(const Range &other) const
{
    return body.compare(4, std::string::npos, other.body, 4, std::string::npos) == 0;
}

bool ColumnInfos::Load(std::string_view stream, const std::vector<BiffRecord> &records,
                       Error &error)
{
    ranges_.clear();
    old_.clear();
    anchor_.reset();
    for (const BiffRecord &record : records) {
        if (record.id == biff::kDefColWidth)
            anchor_ = record.End();
        if (record.id == biff::kDimensions && !anchor_)
            anchor_ = record.offset;
        if (record.id != biff::kColInfo)
            continue;
        const std::string_view body = BodyOf(stream, record);
        if (body.size() < kMinimumBody || ReadU16(body, 0) > ReadU16(body, 2)) {
            error.Set(ErrorCode::Damaged, "a COLINFO record is damaged");
            return false;
        }
        old_.push_back(record);
        ranges_.push_back(Range{ReadU16(body, 0), ReadU16(body, 2), std::string(body)});
    }
    std::sort(ranges_.begin(), ranges_.end(),
              [](const Range &a, const Range &b) { return a.first < b.first; });
    for (size_t i = 1; i < ranges_.size(); ++i)
        if (ranges_[i].first <= ranges_[i - 1].last) {
            error.Set(ErrorCode::Damaged, "two COLINFO records cover one column");
            return false;
        }
    loaded_ = ranges_;
    return true;
}

void ColumnInfos::SplitAt(std::uint32_t column)
{
    for (size_t i = 0; i < ranges_.size(); ++i) {
        Range &range = ranges_[i];
        if (range.first < column && column <= range.last) {
            Range tail = range;
            tail.first = column;
            range.last = column - 1;
            ranges_.insert(ranges_.begin() + long(i) + 1, tail);
            return;
        }
    }
}

void ColumnInfos::FillGaps(std::uint32_t first, std::uint32_t last)
{
    std::vector<Range> filled;
    std::uint32_t next = first;
    const auto addNew = [&](std::uint32_t from, std::uint32_t to) {
        std::string body(kBodySize, '\0');
        PutU16(body, 6, kDefaultCellFormat);
        PutU16(body, 8, kUserSet);
        filled.push_back(Range{from, to, body});
    };
    for (const Range &range : ranges_) {
        if (range.last >= first && range.first <= last) {
            if (range.first > next)
                addNew(next, range.first - 1);
            next = range.last + 1;
        }
        filled.push_back(range);
    }
    if (next <= last)
        addNew(next, last);
    std::sort(filled.begin(), filled.end(),
              [](const Range &a, const Range &b) { return a.first < b.first; });
    ranges_ = std::move(filled);
}

void ColumnInfos::JoinEqualNeighbours()
{
    std::vector<Range> joined;
    for (const Range &range : ranges_) {
        if (!joined.empty() && joined.back().last + 1 == range.first &&
            joined.back().SameBut(range))
            joined.back().last = range.last;
        else
            joined.push_back(range);
    }
    ranges_ = std::move(joined);
}

void ColumnInfos::SetWidth(std::uint32_t first, std::uint32_t last, std::uint16_t width)
{
    if (first == 0 || first > last || first > kXlsColumns)
        return;
    const std::uint32_t from = first - 1;
    const std::uint32_t to = std::min(last, kXlsColumns) - 1;
    // The last column reaches as far as any range does: some writers end it past 255.
    const bool toTheEnd = to == kXlsColumns - 1;
    SplitAt(from);
    if (!toTheEnd)
        SplitAt(to + 1);
    FillGaps(from, to);
    for (Range &range : ranges_) {
        // A column that has the width already is left as it was.
        if (range.first < from || (range.last > to && !toTheEnd) || ReadU16(range.body, 4) == width)
            continue;
        PutU16(range.body, 4, width);
        PutU16(range.body, 8, ReadU16(range.body, 8) | kUserSet);
    }
    JoinEqualNeighbours();
}

std::string ColumnInfos::Records() const
{
    std::string records;
    for (const Range &range : ranges_) {
        std::string body = range.body;
        PutU16(body, 0, std::uint16_t(range.first));
        PutU16(body, 2, std::uint16_t(range.last));
        records += MakeRecord(biff::kColInfo, body);
    }
    return records;
}

bool ColumnInfos::AddEdits(std::vector<StreamEdit> &edits, Error &error) const
{
    if (!Changed())
        return true;
    if (old_.empty() && !anchor_) {
        error.Set(ErrorCode::Unsupported, "the sheet has no DIMENSIONS record to place widths by");
        return false;
    }
    if (old_.empty()) {
        edits.push_back(StreamEdit::InsertAt(*anchor_, Records()));
        return true;
    }
    edits.push_back(StreamEdit::Replace(old_.front(), Records()));
    for (size_t i = 1; i < old_.size(); ++i)
        edits.push_back(StreamEdit::Remove(old_[i]));
    return true;
}

} // namespace engine
