#include "sheet/merges.h"

#include "xml/xml_scan.h"

#include <string>

namespace engine
{
namespace
{

struct MergeCells {
    std::string_view text;
    ElementTree tree;
    std::vector<std::optional<CellArea>> areas; // one per child, nothing for other children
};

bool ReadMergeCells(std::string_view text, MergeCells &merges, Error &error)
{
    merges.text = text;
    if (!ScanDocument(text, merges.tree, error))
        return false;
    for (const ElementSpan &child : merges.tree.children) {
        const AttributeValue ref = FindAttribute(text, child, "ref");
        merges.areas.push_back(child.LocalName() == "mergeCell" && ref.found
                                   ? ParseA1Area(text.substr(ref.begin, ref.end - ref.begin))
                                   : std::nullopt);
    }
    return true;
}

// The element without the children marked removed, its count attribute
// (when present) set to the number left.
std::string Rebuild(const MergeCells &merges, const std::vector<bool> &removed, size_t left)
{
    const std::string_view text = merges.text;
    const ElementSpan &root = merges.tree.root;
    std::string out;
    const AttributeValue count = FindAttribute(text, root, "count");
    if (count.found) {
        out.append(text.substr(0, count.begin));
        out += std::to_string(left);
        out.append(text.substr(count.end, root.startTagEnd - count.end));
    } else {
        out.append(text.substr(0, root.startTagEnd));
    }
    size_t copied = root.startTagEnd;
    for (size_t i = 0; i < merges.tree.children.size(); ++i) {
        if (!removed[i])
            continue;
        const ElementSpan &child = merges.tree.children[i];
        out.append(text.substr(copied, child.begin - copied));
        copied = child.end;
    }
    out.append(text.substr(copied));
    return out;
}

bool IsMergeCells(const ElementSpan &element)
{
    return element.LocalName() == "mergeCells";
}

bool RemoveFromElement(WorksheetPart &part, size_t index, const std::optional<CellArea> &area,
                       Error &error)
{
    MergeCells merges;
    if (!ReadMergeCells(part.ChildText(index), merges, error))
        return false;
    std::vector<bool> removed(merges.areas.size(), false);
    size_t removedCount = 0;
    for (size_t i = 0; i < merges.areas.size(); ++i) {
        const auto &merge = merges.areas[i];
        removed[i] = !area || (merge && merge->Intersects(*area));
        removedCount += removed[i] ? 1 : 0;
    }
    const size_t left = merges.areas.size() - removedCount;
    if (left == 0)
        part.ReplaceChild(index, std::string());
    else if (removedCount > 0)
        part.ReplaceChild(index, Rebuild(merges, removed, left));
    return true;
}

} // namespace

bool ListMerges(const WorksheetPart &part, std::vector<CellArea> &areas, Error &error)
{
    for (size_t i = 0; i < part.Children().size(); ++i) {
        const std::string_view text = part.ChildText(i);
        if (!IsMergeCells(part.Children()[i]) || text.empty())
            continue;
        MergeCells merges;
        if (!ReadMergeCells(text, merges, error))
            return false;
        for (const auto &merge : merges.areas)
            if (merge)
                areas.push_back(*merge);
    }
    return true;
}

bool RemoveMerges(WorksheetPart &part, const std::optional<CellArea> &area, Error &error)
{
    for (size_t i = 0; i < part.Children().size(); ++i) {
        if (!IsMergeCells(part.Children()[i]) || part.ChildText(i).empty())
            continue;
        if (!RemoveFromElement(part, i, area, error))
            return false;
    }
    return true;
}

} // namespace engine
