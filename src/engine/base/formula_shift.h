#pragma once
// Moving a formula to another cell the way a spreadsheet does: relative
// references follow the move, "$"-anchored parts stay, and a reference pushed
// off the sheet becomes #REF!.

#include <string>
#include <string_view>

namespace engine
{

std::string ShiftFormula(std::string_view formula, long rowOffset, long columnOffset);

} // namespace engine
