#pragma once
// The formats of one .xls sheet's cells: the ixfe field every cell record
// holds, one per cell also in MULBLANK and MULRK runs. A new format is a
// rewrite of the record at its own size, so nothing else of the sheet moves.

#include "biff/record_reader.h"
#include "biff/stream_edit.h"
#include "engine/error.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace engine
{

class CellFormats
{
  public:
    // `records` are the sheet's own; false for a cell record too short for
    // what it says it holds.
    bool Load(std::string_view stream, const std::vector<BiffRecord> &records, Error &error);

    // Rows and columns 0-based; none for a position without a cell record.
    std::optional<std::uint16_t> FormatAt(std::uint32_t row, std::uint32_t column) const;
    // False, changing nothing, where there is no cell record.
    bool SetFormat(std::uint32_t row, std::uint32_t column, std::uint16_t ixfe);

    bool Changed() const;
    void AddEdits(std::vector<StreamEdit> &edits) const;

  private:
    struct CellRecord {
        BiffRecord record;
        std::string body;
        bool changed = false;
    };
    struct Place {
        size_t record;    // in records_
        size_t ixfeField; // offset in its body
    };
    bool AddRecord(std::string_view stream, const BiffRecord &record, Error &error);

    std::vector<CellRecord> records_;
    std::map<std::pair<std::uint32_t, std::uint32_t>, Place> cells_; // by (row, column)
};

} // namespace engine
