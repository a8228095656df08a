#include "parts/recalculation.h"

#include "xml/small_xml.h"
#include "xml/xml_scan.h"

#include <algorithm>
#include <iterator>

namespace engine
{

namespace
{

// CT_Workbook children that follow calcPr.
const std::string_view kAfterCalcPr[] = {"oleSize",        "customWorkbookViews", "pivotCaches",
                                         "smartTagPr",     "smartTagTypes",       "webPublishing",
                                         "fileRecoveryPr", "webPublishObjects",   "extLst"};

bool FollowsCalcPr(std::string_view localName)
{
    return std::find(std::begin(kAfterCalcPr), std::end(kAfterCalcPr), localName) !=
           std::end(kAfterCalcPr);
}

std::string_view Value(std::string_view xml, const AttributeValue &value)
{
    return xml.substr(value.begin, value.end - value.begin);
}

std::string Splice(std::string_view xml, size_t begin, size_t end, std::string_view insert)
{
    std::string out(xml.substr(0, begin));
    out += insert;
    out += xml.substr(end);
    return out;
}

// Removes the children for which `drop` says so; the text stays as it is
// when none matches.
template <typename Predicate>
bool WithoutChildren(std::string_view xml, std::string &out, Error &error, Predicate drop)
{
    ElementTree tree;
    if (!ScanDocument(xml, tree, error))
        return false;
    out.clear();
    size_t copied = 0;
    for (const ElementSpan &child : tree.children) {
        if (!drop(child))
            continue;
        out += xml.substr(copied, child.begin - copied);
        copied = child.end;
    }
    out += xml.substr(copied);
    return true;
}

} // namespace

bool WithFullCalcOnLoad(std::string_view workbookXml, std::string &out, Error &error)
{
    ElementTree tree;
    if (!ScanDocument(workbookXml, tree, error))
        return false;
    for (const ElementSpan &child : tree.children) {
        if (child.LocalName() != "calcPr")
            continue;
        const AttributeValue full = FindAttribute(workbookXml, child, "fullCalcOnLoad");
        if (full.found) {
            out = Splice(workbookXml, full.begin, full.end, "1");
            return true;
        }
        const size_t tagEnd = child.startTagEnd - (child.selfClosing ? 2 : 1);
        out = Splice(workbookXml, tagEnd, tagEnd, " fullCalcOnLoad=\"1\"");
        return true;
    }
    size_t at = tree.contentEnd;
    for (const ElementSpan &child : tree.children)
        if (FollowsCalcPr(child.LocalName())) {
            at = child.begin;
            break;
        }
    std::string prefix(tree.root.Prefix());
    prefix += prefix.empty() ? "" : ":";
    out = Splice(workbookXml, at, at, "<" + prefix + "calcPr fullCalcOnLoad=\"1\"/>");
    return true;
}

bool WithoutRelationshipType(std::string_view relsXml, std::string_view typeTail, std::string &out,
                             std::string &removedTarget, Error &error)
{
    removedTarget.clear();
    return WithoutChildren(relsXml, out, error, [&](const ElementSpan &child) {
        const std::string_view type = Value(relsXml, FindAttribute(relsXml, child, "Type"));
        const bool match = EndsWith(type, typeTail);
        if (match)
            removedTarget = std::string(Value(relsXml, FindAttribute(relsXml, child, "Target")));
        return match;
    });
}

bool WithoutOverride(std::string_view contentTypesXml, std::string_view partName, std::string &out,
                     Error &error)
{
    return WithoutChildren(contentTypesXml, out, error, [&](const ElementSpan &child) {
        std::string_view name =
            Value(contentTypesXml, FindAttribute(contentTypesXml, child, "PartName"));
        if (!name.empty() && name.front() == '/')
            name.remove_prefix(1);
        return child.LocalName() == "Override" && name == partName;
    });
}

} // namespace engine
