#pragma once
// conditionalFormatting elements of a worksheet: the areas they cover (sqref),
// their rules and the differential formats (dxfs) the rules point at.

#include "engine/cell_area.h"
#include "engine/error.h"

#include <string>
#include <string_view>
#include <vector>

namespace engine
{

class StyleInterner;
class StylesPart;

std::vector<CellArea> ParseSqref(std::string_view sqref);
std::string SqrefText(const std::vector<CellArea> &areas);

// One conditionalFormatting element, independent of any workbook.
struct ConditionalFormat {
    std::vector<CellArea> areas;
    std::string element;           // normalised element text, sqref as read
    std::vector<std::string> dxfs; // per cfRule in order: its dxf, "" when none
};

// Reads an element with its dxfs resolved, keeping only the parts of its
// areas inside `within`; false when nothing of it lies there.
bool ReadConditionalFormat(std::string_view elementText, const StylesPart &styles,
                           const CellArea &within, ConditionalFormat &format, Error &error);

// The element as it goes into another sheet: areas and relative rule formulas
// moved by the offsets, dxfs interned into `styles`, priorities from
// `firstPriority` on (advanced past the ones used).
std::string PlaceConditionalFormat(const ConditionalFormat &format, long rowOffset,
                                   long columnOffset, StyleInterner &styles,
                                   const std::string &prefix, int &firstPriority);

// `areas` with `hole` taken out, each area it cuts split into at most four
// rectangles (two for a corner cut): bands above and below, then the pieces
// beside it.
std::vector<CellArea> SubtractArea(const std::vector<CellArea> &areas, const CellArea &hole);

// The element with `area` taken out of its range: the text unchanged when the
// range misses it, "" when nothing is left; then the extension ids of its
// rules (x14:id, linking a rule to its twin in the sheet's extLst) are added
// to `removedIds`.
std::string ClipOutside(std::string_view elementText, const CellArea &area,
                        std::vector<std::string> &removedIds);

// The worksheet's extLst with its x14 conditional formats clipped the same
// way and the twins of removed rules dropped; a conditional format, its
// container and an ext left empty go, and "" is returned when the extLst
// itself is left empty. The text unchanged when nothing in it is touched.
std::string ClipExtensionFormats(std::string_view extLstText, const CellArea &area,
                                 const std::vector<std::string> &removedIds);

// Highest cfRule priority in an element.
int HighestPriority(std::string_view elementText);

} // namespace engine
