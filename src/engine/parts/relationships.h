#pragma once
// A relationships part (_rels/*.rels) and how its targets resolve to part
// names. Part names here carry no leading "/".

#include "engine/error.h"

#include <string>
#include <string_view>
#include <vector>

namespace engine
{

struct Relationship {
    std::string id;
    std::string type;
    std::string target;
    bool external = false;
};

class Relationships
{
  public:
    bool Parse(const std::string &xml, Error &error);
    const Relationship *FindById(std::string_view id) const;
    // Types are matched by their last segment ("/worksheet"), which the
    // transitional and strict namespaces share.
    const Relationship *FindByTypeTail(std::string_view typeTail) const;

  private:
    std::vector<Relationship> relationships_;
};

// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"; the package itself ("")
// -> "_rels/.rels".
std::string RelationshipsPartOf(std::string_view partName);
// A target relative to its source part's folder, or absolute ("/xl/...").
std::string ResolveTarget(std::string_view sourcePartName, std::string_view target);

} // namespace engine
