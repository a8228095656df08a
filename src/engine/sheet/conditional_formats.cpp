#include "sheet/conditional_formats.h"

#include "base/formula_shift.h"
#include "engine/a1_text.h"
#include "parts/styles_part.h"
#include "xml/small_xml.h"
#include "xml/xml_fragment.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace engine
{

namespace
{

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

// The ids in a rule's extensions that name its twin in the sheet's extLst.
void AddExtensionIds(const pugi::xml_node &rule, std::vector<std::string> &ids)
{
    for (pugi::xml_node child : Elements(rule))
        if (LocalName(child) == "extLst")
            for (pugi::xml_node ext : Elements(child))
                for (pugi::xml_node id : Elements(ext))
                    if (LocalName(id) == "id")
                        ids.emplace_back(id.text().get());
}

// The sheet extension that holds the x14 conditional formats.
bool IsConditionalFormattingsExt(const pugi::xml_node &ext)
{
    std::string uri = ext.attribute("uri").value();
    std::transform(uri.begin(), uri.end(), uri.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return uri == "{78C0D931-6437-407D-A8EE-F0AAD7539E65}";
}

// One x14:conditionalFormatting: its rules whose main rule went are dropped,
// its xm:sqref clipped; the element itself goes when no rule or no range is
// left. True when anything changed.
bool ClipExtensionFormat(pugi::xml_node format, const CellArea &area,
                         const std::vector<std::string> &removedIds)
{
    bool changed = false;
    size_t rules = 0;
    pugi::xml_node sqref;
    for (pugi::xml_node child : Elements(format)) {
        const std::string_view name = LocalName(child);
        if (name == "sqref")
            sqref = child;
        if (name != "cfRule")
            continue;
        const bool orphan = std::find(removedIds.begin(), removedIds.end(),
                                      child.attribute("id").value()) != removedIds.end();
        if (orphan)
            format.remove_child(child);
        changed |= orphan;
        rules += orphan ? 0 : 1;
    }
    const std::vector<CellArea> areas = ParseSqref(sqref.text().get());
    const std::vector<CellArea> kept = SubtractArea(areas, area);
    const bool clipped = kept != areas;
    if (clipped)
        sqref.text().set(SqrefText(kept).c_str());
    if ((changed && rules == 0) || (clipped && kept.empty()))
        format.parent().remove_child(format);
    return changed || clipped;
}

// Removes the element children that have no element children of their own.
void RemoveEmptyChildren(pugi::xml_node parent)
{
    for (pugi::xml_node child : Elements(parent))
        if (Elements(child).empty())
            parent.remove_child(child);
}

// The x14 conditional formats of one ext clipped; an emptied container goes,
// and the ext when nothing is left in it. True when anything changed.
bool ClipFormatsOfExt(pugi::xml_node ext, const CellArea &area,
                      const std::vector<std::string> &removedIds)
{
    bool changed = false;
    for (pugi::xml_node formats : Elements(ext))
        for (pugi::xml_node format : Elements(formats))
            changed |= ClipExtensionFormat(format, area, removedIds);
    if (!changed)
        return false;
    RemoveEmptyChildren(ext);
    if (Elements(ext).empty())
        ext.parent().remove_child(ext);
    return true;
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

std::vector<CellArea> SubtractArea(const std::vector<CellArea> &areas, const CellArea &hole)
{
    std::vector<CellArea> left;
    for (const CellArea &area : areas) {
        if (!area.Intersects(hole)) {
            left.push_back(area);
            continue;
        }
        const CellArea cut = Intersection(area, hole);
        if (area.firstRow < cut.firstRow)
            left.push_back({area.firstRow, area.firstColumn, cut.firstRow - 1, area.lastColumn});
        if (area.firstColumn < cut.firstColumn)
            left.push_back({cut.firstRow, area.firstColumn, cut.lastRow, cut.firstColumn - 1});
        if (cut.lastColumn < area.lastColumn)
            left.push_back({cut.firstRow, cut.lastColumn + 1, cut.lastRow, area.lastColumn});
        if (cut.lastRow < area.lastRow)
            left.push_back({cut.lastRow + 1, area.firstColumn, area.lastRow, area.lastColumn});
    }
    return left;
}

std::string ClipOutside(std::string_view elementText, const CellArea &area,
                        std::vector<std::string> &removedIds)
{
    pugi::xml_document doc;
    if (!ParseElement(elementText, doc))
        return std::string(elementText);
    pugi::xml_node element = doc.document_element();
    const std::vector<CellArea> areas = ParseSqref(element.attribute("sqref").value());
    if (std::none_of(areas.begin(), areas.end(),
                     [&](const CellArea &a) { return a.Intersects(area); }))
        return std::string(elementText);
    const std::vector<CellArea> kept = SubtractArea(areas, area);
    if (kept.empty()) {
        for (pugi::xml_node rule : Rules(element))
            AddExtensionIds(rule, removedIds);
        return {};
    }
    element.attribute("sqref").set_value(SqrefText(kept).c_str());
    return RawText(element);
}

std::string ClipExtensionFormats(std::string_view extLstText, const CellArea &area,
                                 const std::vector<std::string> &removedIds)
{
    pugi::xml_document doc;
    if (!ParseElement(extLstText, doc))
        return std::string(extLstText);
    pugi::xml_node extLst = doc.document_element();
    bool changed = false;
    for (pugi::xml_node ext : Elements(extLst))
        if (IsConditionalFormattingsExt(ext))
            changed |= ClipFormatsOfExt(ext, area, removedIds);
    if (!changed)
        return std::string(extLstText);
    return Elements(extLst).empty() ? std::string() : RawText(extLst);
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
