#pragma once
// The bounding box of a sheet's cells, formatted rows and formatted columns,
// gathered element by element: from a held worksheet, or from rows streaming
// by that are never held at once.

#include "engine/cell_area.h"
#include "xml/xml_scan.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace engine
{

class UsedBounds
{
  public:
    // The rows of a sheetData element, in order, each with its cells: a row
    // without an "r" follows the row before it, as does a cell without one
    // in its row.
    void AddRows(std::string_view xml, const std::vector<ElementTree> &rows);
    // The col elements of a cols element.
    void AddColumns(std::string_view xml, const std::vector<ElementSpan> &columns);
    void Add(const CellArea &area);
    void Add(const UsedBounds &other);
    // The box; A1 when nothing was seen, whole rows or whole columns when
    // only formatted columns or only formatted rows were.
    CellArea Area() const;

  private:
    // Rows and columns gathered separately: a formatted row widens only the
    // rows, a formatted column only the columns.
    struct Extent {
        std::uint32_t first = 0; // 0: nothing seen
        std::uint32_t last = 0;

        void Add(std::uint32_t from, std::uint32_t to);
    };

    void AddRowCells(std::string_view xml, const std::vector<ElementSpan> &cells,
                     std::uint32_t rowNumber);

    Extent rows_;
    Extent columns_;
    std::uint32_t lastRowNumber_ = 0;
};

// The raw value of an unprefixed attribute; empty when the tag has none.
std::string_view AttributeText(std::string_view xml, const ElementSpan &element,
                               std::string_view name);

} // namespace engine
