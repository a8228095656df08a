#pragma once
// After pasted formulas or values, cached results and the calculation chain no
// longer match the cells: the chain goes and the workbook asks to be fully
// recalculated when it is next opened.

#include "engine/error.h"

#include <string>
#include <string_view>

namespace engine
{

// workbook.xml with calcPr fullCalcOnLoad="1", calcPr created at its
// CT_Workbook place when missing.
bool WithFullCalcOnLoad(std::string_view workbookXml, std::string &out, Error &error);

// A relationships part without its relationships whose type ends with
// `typeTail`; `removedTarget` gets the (last) target removed, "" when none.
bool WithoutRelationshipType(std::string_view relsXml, std::string_view typeTail, std::string &out,
                             std::string &removedTarget, Error &error);

// [Content_Types].xml without the Override for `partName` ("xl/calcChain.xml").
bool WithoutOverride(std::string_view contentTypesXml, std::string_view partName, std::string &out,
                     Error &error);

} // namespace engine
