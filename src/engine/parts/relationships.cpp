#include "parts/relationships.h"

#include "xml/small_xml.h"

namespace engine
{

bool Relationships::Parse(const std::string &xml, Error &error)
{
    pugi::xml_document document;
    if (!ParseSmallPart(xml, document, error))
        return false;
    for (pugi::xml_node node : document.document_element().children()) {
        if (LocalName(node) != "Relationship")
            continue;
        Relationship relationship;
        relationship.id = node.attribute("Id").value();
        relationship.type = node.attribute("Type").value();
        relationship.target = node.attribute("Target").value();
        relationship.external =
            std::string_view(node.attribute("TargetMode").value()) == "External";
        relationships_.push_back(std::move(relationship));
    }
    return true;
}

const Relationship *Relationships::FindById(std::string_view id) const
{
    for (const Relationship &relationship : relationships_)
        if (relationship.id == id)
            return &relationship;
    return nullptr;
}

const Relationship *Relationships::FindByTypeTail(std::string_view typeTail) const
{
    for (const Relationship &relationship : relationships_)
        if (EndsWith(relationship.type, typeTail))
            return &relationship;
    return nullptr;
}

std::string RelationshipsPartOf(std::string_view partName)
{
    const size_t slash = partName.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view() : partName.substr(0, slash + 1);
    const std::string_view file =
        slash == std::string_view::npos ? partName : partName.substr(slash + 1);
    return std::string(folder) + "_rels/" + std::string(file) + ".rels";
}

std::string ResolveTarget(std::string_view sourcePartName, std::string_view target)
{
    std::vector<std::string> segments;
    std::string joined;
    if (!target.empty() && target.front() == '/') {
        joined = target.substr(1);
    } else {
        const size_t slash = sourcePartName.rfind('/');
        if (slash != std::string_view::npos)
            joined = sourcePartName.substr(0, slash + 1);
        joined += target;
    }
    size_t start = 0;
    while (start <= joined.size()) {
        size_t end = joined.find('/', start);
        if (end == std::string::npos)
            end = joined.size();
        const std::string segment = joined.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string &segment : segments)
        resolved += (resolved.empty() ? "" : "/") + segment;
    return resolved;
}

} // namespace engine
