#pragma once
// The workbook part (xl/workbook.xml): the sheet list in workbook order.

#include "engine/error.h"

#include <string>
#include <vector>

namespace engine
{

struct SheetReference {
    std::string name;
    std::string relationshipId;
};

bool ReadSheetList(const std::string &workbookXml, std::vector<SheetReference> &sheets,
                   Error &error);

} // namespace engine
