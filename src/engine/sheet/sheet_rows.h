#pragma once
// The rows of one row interval of a worksheet's sheetData element, parsed into
// an editable tree; the rows before and after the interval stay raw bytes.

#include "engine/error.h"

#include <pugixml.hpp>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine
{

struct ElementTree;

class RowWindow
{
  public:
    // `sheetData` is the whole sheetData element; it must stay unchanged
    // until the window is serialised. Rows or cells written
    // without an r attribute get an explicit one; since such rows number
    // themselves by position, the window then covers every row.
    bool Load(std::string_view sheetData, std::uint32_t firstRow, std::uint32_t lastRow,
              Error &error);
    // The same for a sheetData element that a scan of `text` has already
    // read and checked, so its rows are not read again.
    bool Load(std::string_view text, const ElementTree &sheetData, std::uint32_t firstRow,
              std::uint32_t lastRow, Error &error);

    std::uint32_t FirstRow() const { return firstRow_; }
    std::uint32_t LastRow() const { return lastRow_; }
    std::vector<pugi::xml_node> Rows() const;
    pugi::xml_node Row(std::uint32_t row) const;
    // The row element, created in ascending place when missing.
    pugi::xml_node RowForWriting(std::uint32_t row);
    // The rows by ascending number from `row` on; of rows that share a
    // number, the first.
    using RowIndex = std::map<std::uint32_t, pugi::xml_node>;
    RowIndex::const_iterator RowsFrom(std::uint32_t row) const { return index_.lower_bound(row); }
    RowIndex::const_iterator RowsEnd() const { return index_.end(); }
    bool NumbersRepeat() const { return numbersRepeat_; }
    const std::string &Prefix() const { return prefix_; }

    std::string Serialise() const;

  private:
    bool ParseWindow(std::string_view rows, Error &error);

    // views into the loaded text: the rows around the window stay where they are
    std::string_view head_;
    std::string_view tail_;
    std::string_view emptyElementName_; // set when sheetData was written <sheetData/>
    size_t windowBytes_ = 0;            // the rows' length as loaded
    std::string prefix_;
    std::uint32_t firstRow_ = 1;
    std::uint32_t lastRow_ = 1;
    RowIndex index_;
    bool numbersRepeat_ = false;
    std::unique_ptr<pugi::xml_document> rows_ = std::make_unique<pugi::xml_document>();
};

std::uint32_t RowNumber(const pugi::xml_node &row);
std::uint32_t CellColumn(const pugi::xml_node &cell);

// A row's cells by column, for an edit that touches many cells of one row:
// each lookup or insertion is a map step instead of a scan of the row, so a
// whole-row paste that meets thousands of cells stays linear.
class RowCells
{
  public:
    explicit RowCells(const pugi::xml_node &row); // a null row has no cells yet

    pugi::xml_node Find(std::uint32_t column) const;
    // The cell, created in `row` before the next cell to its right (or the
    // row's extLst) when missing.
    pugi::xml_node FindOrAdd(const pugi::xml_node &row, std::uint32_t column,
                             const std::string &prefix);
    void Remove(std::uint32_t column);

  private:
    pugi::xml_node row_;
    std::map<std::uint32_t, pugi::xml_node> cells_; // column 0: the row's extLst
};

// A row's cells met in one walk along ascending columns, for an edit that
// visits many columns of each row in turn: no lookup structure, and each
// cell's reference is read once. Only for rows whose cells ascend strictly,
// followed by at most one element without a column (extLst).
class RowCursor
{
  public:
    // False when the row's layout does not allow the walk; a null row has no
    // cells yet.
    bool Start(const pugi::xml_node &row);
    // The cell at `column`, or null; columns must ascend from call to call.
    pugi::xml_node Find(std::uint32_t column);
    // The cell, created in `row` before the next cell to its right (or the
    // trailing element) when missing; columns ascend as for Find.
    pugi::xml_node FindOrAdd(const pugi::xml_node &row, std::uint32_t column,
                             const std::string &prefix);
    // The columns of the row's first and last cell; 0 for the last without cells.
    std::uint32_t FirstColumn() const;
    std::uint32_t LastColumn() const;
    // The columns of the row's elements as Start found them, in their order:
    // ascending, with 0 for a trailing element.
    const std::vector<std::uint32_t> &Columns() const { return columns_; }

  private:
    // The row's elements and their columns, both kept for the next row; the
    // walk goes along them instead of the tree, whose every step is a call.
    std::vector<pugi::xml_node> elements_;
    std::vector<std::uint32_t> columns_;
    size_t at_ = 0; // the next element that Find may return
    std::uint32_t firstAdded_ = 0;
    std::uint32_t lastAdded_ = 0;
};

} // namespace engine
