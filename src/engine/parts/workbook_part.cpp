#include "parts/workbook_part.h"

#include "xml/small_xml.h"

namespace engine
{

bool ReadSheetList(const std::string &workbookXml, std::vector<SheetReference> &sheets,
                   Error &error)
{
    pugi::xml_document document;
    if (!ParseSmallPart(workbookXml, document, error))
        return false;
    const pugi::xml_node list = FirstChildNamed(document.document_element(), "sheets");
    for (pugi::xml_node sheet : list.children()) {
        if (LocalName(sheet) != "sheet")
            continue;
        const pugi::xml_attribute id = PrefixedAttribute(sheet, "id", "/relationships");
        if (!id) {
            error.Set(ErrorCode::Damaged, "a sheet of the workbook has no relationship");
            return false;
        }
        sheets.push_back(SheetReference{sheet.attribute("name").value(), id.value()});
    }
    return true;
}

} // namespace engine
