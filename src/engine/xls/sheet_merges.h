#pragma once
// The merged areas of one .xls sheet, in its MERGEDCELLS records. Unmerging
// marks areas as gone; the edits then remove a record that keeps none of its
// areas and rewrite one that keeps some, and leave every other as it was.
// New areas go into new records after the sheet's last MERGEDCELLS, or
// where Excel puts the first: after the window settings (WINDOW2 to
// SELECTION).

#include "biff/record_reader.h"
#include "biff/stream_edit.h"
#include "engine/cell_area.h"
#include "engine/error.h"

#include <optional>
#include <string_view>
#include <vector>

namespace engine
{

class SheetMerges
{
  public:
    // `records` are the sheet's own.
    bool Load(std::string_view stream, const std::vector<BiffRecord> &records, Error &error);

    // Removes every area that intersects `area`; with none, every area.
    void UnMerge(const std::optional<CellArea> &area);
    void Merge(const CellArea &area);
    // The areas still merged.
    std::vector<CellArea> Areas() const;
    bool Changed() const;
    void AddEdits(std::vector<StreamEdit> &edits) const;

  private:
    struct MergeRecord {
        BiffRecord record;
        std::vector<CellArea> areas;
        std::vector<bool> kept;
    };
    std::vector<MergeRecord> records_;
    std::vector<CellArea> added_;
    size_t anchor_ = 0; // where new records go
};

} // namespace engine
