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

// The element without its areas inside `area`; "" when none is left, the
// text unchanged when no area of it lies inside.
std::string RemoveAreasInside(std::string_view elementText, const CellArea &area);

// Highest cfRule priority in an element.
int HighestPriority(std::string_view elementText);

} // namespace engine
