#pragma once
// The cols element of a worksheet: column ranges with width, hidden state,
// outline level and style. Ranges are split where an edit needs a boundary and
// joined again when neighbours become equal, so they never overlap.

#include "engine/error.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace engine
{

struct ColumnRange {
    std::uint32_t first = 1;
    std::uint32_t last = 1;
    // every attribute except min and max, in written order
    std::vector<std::pair<std::string, std::string>> attributes;

    std::string Attribute(std::string_view name) const;
    void SetAttribute(std::string_view name, std::string value);
};

class ColumnSet
{
  public:
    // Reads a cols element; an empty text is a sheet without one.
    bool Load(std::string_view cols, Error &error);

    const std::vector<ColumnRange> &Ranges() const { return ranges_; }
    // The range holding the column, or null.
    const ColumnRange *Find(std::uint32_t column) const;
    std::uint32_t Style(std::uint32_t column) const;

    // Sets width and customWidth on the columns, keeping their other attributes.
    void SetWidth(std::uint32_t first, std::uint32_t last, const std::string &width);

    // The cols element, "" when no range is left.
    std::string Serialise() const;

  private:
    void SplitAt(std::uint32_t column);
    void FillGaps(std::uint32_t first, std::uint32_t last);

    std::string prefix_;
    std::vector<ColumnRange> ranges_; // ascending, disjoint
};

} // namespace engine
