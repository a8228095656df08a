#include "sheet/conditional_formats.h"

#include "base/formula_shift.h"
#include "engine/a1_text.h"
#include "parts/styles_part.h"
#include "xml/small_xml.h"
#include "xml/xml_fragment.h"

#include <pugixml.hpp>

#include <algorithm>
#include <sstream>

namespace engine
{

namespace
{

bool Contains(const CellArea &outer, const CellArea &inner)
{
    return outer.firstRow <= inner.firstRow && inner.lastRow <= outer.lastRow &&
           outer.firstColumn <= inner.firstColumn && inner.lastColumn <= outer.lastColumn;
}

CellArea Intersection(const CellArea &a, const CellArea &b)
{
    return CellArea{std::max(a.firstRow, b.firstRow), std::max(a.firstColumn, b.firstColumn),
                    std::min(a.lastRow, b.lastRow), std::min(a.lastColumn, b.lastColumn)};
}

CellArea Moved(const CellArea &area, long rowOffset, long columnOffset)
{
    return CellArea{std::uint32_t(long(area.firstRow) + rowOffset),
                    std::uint32_t(long(area.firstColumn) + columnOffset),
                    std::uint32_t(long(area.lastRow) + rowOffset),
                    std::uint32_t(long(area.lastColumn) + columnOffset)};
}

bool ParseElement(std::string_view text, pugi::xml_document &doc)
{
    return bool(doc.load_buffer(text.data(), text.size(),
                                pugi::parse_default | pugi::parse_ws_pcdata_single));
}

std::vector<pugi::xml_node> Rules(const pugi::xml_node &format)
{
    std::vector<pugi::xml_node> rules;
    for (pugi::xml_node child : Elements(format))
        if (LocalName(child) == "cfRule")
            rules.push_back(child);
    return rules;
}

// Formula text sits in <formula> children of a rule and of its colour scale,
// data bar and icon set value objects (cfvo val attributes).
void ShiftRuleFormulas(pugi::xml_node node, long rowOffset, long columnOffset)
{
    for (pugi::xml_node child : Elements(node)) {
        const std::string_view name = LocalName(child);
        if (name == "formula")
            child.text().set(ShiftFormula(child.text().get(), rowOffset, columnOffset).c_str());
        else if (name == "cfvo" && std::string_view(child.attribute("type").value()) == "formula")
            child.attribute("val").set_value(
                ShiftFormula(child.attribute("val").value(), rowOffset, columnOffset).c_str());
        else
            ShiftRuleFormulas(child, rowOffset, columnOffset);
    }
}

// Rule extensions point into the sheet's own extLst, which does not travel.
void RemoveExtensions(pugi::xml_node node)
{
    for (pugi::xml_node child : Elements(node)) {
        if (LocalName(child) == "extLst")
            node.remove_child(child);
        else
            RemoveExtensions(child);
    }
}

} // namespace

std::vector<CellArea> ParseSqref(std::string_view sqref)
{
    std::vector<CellArea> areas;
    std::istringstream words{std::string(sqref)};
    std::string word;
    while (words >> word)
        if (auto area = ParseA1Area(word))
            areas.push_back(*area);
    return areas;
}

std::string SqrefText(const std::vector<CellArea> &areas)
{
    std::string text;
    for (const CellArea &area : areas)
        text += (text.empty() ? "" : " ") + AreaName(area);
    return text;
}

bool ReadConditionalFormat(std::string_view elementText, const StylesPart &styles,
                           const CellArea &within, ConditionalFormat &format, Error &error)
{
    pugi::xml_document doc;
    if (!ParseElement(elementText, doc)) {
        error.Set(ErrorCode::Damaged, "conditional format unreadable");
        return false;
    }
    pugi::xml_node element = doc.document_element();
    format.areas.clear();
    for (const CellArea &area : ParseSqref(element.attribute("sqref").value()))
        if (area.Intersects(within))
            format.areas.push_back(Intersection(area, within));
    format.dxfs.clear();
    for (pugi::xml_node rule : Rules(element)) {
        pugi::xml_attribute dxfId = rule.attribute("dxfId");
        format.dxfs.push_back(dxfId ? styles.ResolveDxf(dxfId.as_int()) : std::string());
    }
    RemoveExtensions(element);
    format.element = NormalisedFragment(element, PrefixOf(element.name()));
    return !format.areas.empty();
}

std::string PlaceConditionalFormat(const ConditionalFormat &format, long rowOffset,
                                   long columnOffset, StyleInterner &styles,
                                   const std::string &prefix, int &firstPriority)
{
    pugi::xml_document doc;
    AppendFragment(doc, format.element, prefix);
    pugi::xml_node element = doc.document_element();
    std::vector<CellArea> areas;
    for (const CellArea &area : format.areas)
        areas.push_back(Moved(area, rowOffset, columnOffset));
    element.attribute("sqref").set_value(SqrefText(areas).c_str());
    const std::vector<pugi::xml_node> rules = Rules(element);
    for (size_t i = 0; i < rules.size(); ++i) {
        if (i < format.dxfs.size() && !format.dxfs[i].empty())
            rules[i].attribute("dxfId").set_value(styles.InternDxf(format.dxfs[i]));
        rules[i].attribute("priority").set_value(firstPriority++);
        ShiftRuleFormulas(rules[i], rowOffset, columnOffset);
    }
    return RawText(element);
}

std::string RemoveAreasInside(std::string_view elementText, const CellArea &area)
{
    pugi::xml_document doc;
    if (!ParseElement(elementText, doc))
        return std::string(elementText);
    pugi::xml_node element = doc.document_element();
    const std::vector<CellArea> areas = ParseSqref(element.attribute("sqref").value());
    std::vector<CellArea> kept;
    std::copy_if(areas.begin(), areas.end(), std::back_inserter(kept),
                 [&](const CellArea &a) { return !Contains(area, a); });
    if (kept.size() == areas.size())
        return std::string(elementText);
    if (kept.empty())
        return {};
    element.attribute("sqref").set_value(SqrefText(kept).c_str());
    return RawText(element);
}

int HighestPriority(std::string_view elementText)
{
    pugi::xml_document doc;
    int highest = 0;
    if (ParseElement(elementText, doc))
        for (pugi::xml_node rule : Rules(doc.document_element()))
            highest = std::max(highest, rule.attribute("priority").as_int(0));
    return highest;
}

} // namespace engine
