#pragma once
// The entries directly inside the root storage: where a workbook's streams
// are. Found by walking the root's whole sibling tree, not by a binary
// search, since some writers leave the tree out of its sort order.

#include "cfb/compound_tables.h"
#include "engine/error.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine::cfb
{

struct RootChild {
    std::uint32_t entry = 0;
    bool isStream = false;
    std::u16string foldedName; // upper-cased as names compare
};

// False with the reason when the tree loops, points past the directory,
// holds an unused or root entry, a malformed name, or two equal names.
bool ReadRootChildren(std::string_view bytes, const CompoundTables &tables,
                      std::vector<RootChild> &children, Error &error);

// Names compare by length, then case-insensitively; `name` is ASCII
// (control characters such as "\x05" included).
bool NameMatches(const RootChild &child, std::string_view name);

} // namespace engine::cfb
