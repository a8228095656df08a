#pragma once
// Cell areas and the A1 address notation.

#include <cstdint>
#include <optional>
#include <string_view>

namespace engine
{

constexpr std::uint32_t kMaxRow = 1048576;
constexpr std::uint32_t kMaxColumn = 16384; // XFD

// A rectangle of cells, 1-based and inclusive on both corners.
struct CellArea {
    std::uint32_t firstRow = 1;
    std::uint32_t firstColumn = 1;
    std::uint32_t lastRow = 1;
    std::uint32_t lastColumn = 1;

    bool Intersects(const CellArea &other) const;
    bool operator==(const CellArea &other) const;
};

// Accepts what the spreadsheet application accepts as one area: "A1",
// "B2:D2", "B:B", "B:D", "1:1", "1:9", with optional "$" and lower-case
// letters, corners in any order. Anything else gives nothing.
std::optional<CellArea> ParseA1Area(std::string_view text);

} // namespace engine
