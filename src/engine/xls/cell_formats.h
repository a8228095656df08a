#pragma once
// The formats of one .xls sheet's cells: the ixfe field every cell record
// holds, one per cell also in MULBLANK and MULRK runs. A new format is a
// rewrite of the record at its own size. A cell without a record gets a
// BLANK record among its row's cells, in column order, with the row's and
// the sheet's column bounds (ROW, DIMENSIONS) widened to hold it; the record
// layer moves the row block's DBCELL offsets with them. In a sheet without
// row blocks (no INDEX, no DBCELL) a row without cells gets them too, and a
// ROW record of the default height where it has none.

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

// BIFF8 sheets have 65536 rows (and 256 columns, kXlsColumns).
constexpr std::uint32_t kXlsRows = 65536;

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
    // Whether AddBlank can add a cell to the row: it has a ROW record and
    // cells already, so the new one has a place in its row block, or the
    // sheet has no row blocks.
    bool RowTakesCells(std::uint32_t row) const;
    // A BLANK record for a cell without one, in a row that takes cells.
    // Cells of one row are to be added in ascending column order.
    bool AddBlank(std::uint32_t row, std::uint32_t column, std::uint16_t ixfe);

    bool Changed() const;
    void AddEdits(std::vector<StreamEdit> &edits) const;

  private:
    struct CellRecord {
        BiffRecord record;
        std::string body;
        bool changed = false;
        size_t end = 0;     // after the records that belong to it (a formula's STRING...)
        std::string before; // new records that take its place as the row's first
    };
    // A record rewritten at its size (ROW, DIMENSIONS).
    struct Rewritten {
        BiffRecord record;
        std::string body;
        bool changed = false;
    };
    struct Place {
        size_t record;    // in records_
        size_t ixfeField; // offset in its body
    };
    // A row without cells in a sheet without row blocks.
    struct NewRow {
        std::uint16_t first = 0xffff;
        std::uint16_t end = 0;
    };
    bool AddRecord(std::string_view stream, const BiffRecord &record, Error &error);
    static void Widen(Rewritten &record, size_t first, size_t end, std::uint16_t column);
    static void WidenRows(Rewritten &dimensions, std::uint32_t row);
    bool InRowBlock(std::uint32_t row) const;
    // Where bytes for the row go so that rows stay in order: before the
    // first of `later` after it, or after the last before it, or `fallback`.
    size_t CellsPlace(std::uint32_t row) const;
    size_t RowPlace(std::uint32_t row) const;
    void AddToNewRow(std::uint32_t row, std::uint32_t column, const std::string &blank);
    std::string RowRecord(std::uint32_t row, const NewRow &bounds) const;

    bool rowBlocks_ = false;            // INDEX or DBCELL records
    std::uint16_t defaultHeight_ = 255; // DEFAULTROWHEIGHT, in twips
    size_t afterDimensions_ = 0;
    std::map<std::uint32_t, NewRow> newRows_;

    std::vector<CellRecord> records_;
    std::map<std::uint32_t, Rewritten> rows_;
    std::optional<Rewritten> dimensions_;
    // Stream offset -> records inserted there; a new row's ROW record (by
    // its number) comes before its cells.
    struct Inserted {
        std::optional<std::uint32_t> newRow;
        std::string bytes;
    };
    std::map<size_t, std::vector<Inserted>> inserts_;
    std::map<std::pair<std::uint32_t, std::uint32_t>, Place> cells_; // by (row, column)
};

} // namespace engine
