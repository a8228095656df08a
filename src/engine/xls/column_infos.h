#pragma once
// The column widths of one .xls sheet, in its COLINFO records: ranges split
// where a new width needs a boundary and joined when neighbours become
// equal, each keeping the other fields of the record it came from (format,
// hidden, outline level). Widths are in 1/256 of a character of the
// workbook's default font.

#include "biff/record_reader.h"
#include "biff/stream_edit.h"
#include "engine/error.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine
{

// BIFF8 sheets have 256 columns.
constexpr std::uint32_t kXlsColumns = 256;

class ColumnInfos
{
  public:
    // `records` are the sheet's own.
    bool Load(std::string_view stream, const std::vector<BiffRecord> &records, Error &error);

    // Columns 1-based and inclusive; columns past the sheet's last are left out.
    void SetWidth(std::uint32_t first, std::uint32_t last, std::uint16_t width);
    bool Changed() const { return ranges_ != loaded_; }
    // Replaces the old COLINFO records by the new ones, where the first
    // stood, or else after DEFCOLWIDTH or before DIMENSIONS.
    bool AddEdits(std::vector<StreamEdit> &edits, Error &error) const;

  private:
    struct Range {
        std::uint32_t first = 0; // 0-based
        std::uint32_t last = 0;
        std::string body; // the whole COLINFO body, first and last as written

        bool operator==(const Range &other) const;
        bool operator!=(const Range &other) const { return !(*this == other); }
        bool SameBut(const Range &other) const; // equal but for first and last
    };

    void SplitAt(std::uint32_t column);
    void FillGaps(std::uint32_t first, std::uint32_t last);
    void JoinEqualNeighbours();
    std::string Records() const;

    std::vector<Range> ranges_; // ascending, disjoint
    std::vector<Range> loaded_;
    std::vector<BiffRecord> old_;
    std::optional<size_t> anchor_; // where new records go when there were none
};

} // namespace engine
