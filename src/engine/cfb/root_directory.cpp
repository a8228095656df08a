#include "cfb/root_directory.h"

#include "cfb/cfb_format.h"

#include <algorithm>

namespace engine::cfb
{
namespace
{

constexpr size_t kMaxNameUnits = 31;

char16_t Fold(char16_t unit)
{
    return unit >= u'a' && unit <= u'z' ? char16_t(unit - u'a' + u'A') : unit;
}

bool Refuse(Error &error, const std::string &problem)
{
    error.Set(ErrorCode::Damaged, "not a readable compound file: its directory " + problem);
    return false;
}

bool ReadChild(std::string_view bytes, const CompoundTables &tables, std::uint32_t entry,
               RootChild &child, Error &error)
{
    const size_t at = tables.EntryOffset(entry);
    const EntryType type = EntryType(bytes[at + kEntryTypeAt]);
    if (type != EntryType::Stream && type != EntryType::Storage)
        return Refuse(error, "links an unused or root entry into the root storage");
    const std::uint16_t nameBytes = Le16(bytes, at + kNameLengthAt);
    if (nameBytes < 2 || nameBytes % 2 != 0 || size_t(nameBytes / 2 - 1) > kMaxNameUnits)
        return Refuse(error, "has an entry with a malformed name");
    child.entry = entry;
    child.isStream = type == EntryType::Stream;
    child.foldedName.clear();
    for (size_t i = 0; i + 1 < nameBytes / 2u; ++i)
        child.foldedName.push_back(Fold(Le16(bytes, at + 2 * i)));
    return true;
}

bool RefuseEqualNames(std::vector<RootChild> children, Error &error)
{
    std::sort(children.begin(), children.end(),
              [](const RootChild &a, const RootChild &b) { return a.foldedName < b.foldedName; });
    const auto equal = std::adjacent_find(
        children.begin(), children.end(),
        [](const RootChild &a, const RootChild &b) { return a.foldedName == b.foldedName; });
    return equal == children.end() || Refuse(error, "has two root entries of the same name");
}

} // namespace

bool ReadRootChildren(std::string_view bytes, const CompoundTables &tables,
                      std::vector<RootChild> &children, Error &error)
{
    const size_t count = tables.EntryCount();
    std::vector<bool> seen(count, false);
    std::vector<std::uint32_t> pending = {Le32(bytes, tables.EntryOffset(0) + kChildAt)};
    while (!pending.empty()) {
        const std::uint32_t entry = pending.back();
        pending.pop_back();
        if (entry == kNoEntry)
            continue;
        if (entry >= count)
            return Refuse(error, "points past its end");
        if (seen[entry] || entry == 0)
            return Refuse(error, "loops");
        seen[entry] = true;
        RootChild child;
        if (!ReadChild(bytes, tables, entry, child, error))
            return false;
        children.push_back(std::move(child));
        const size_t at = tables.EntryOffset(entry);
        pending.push_back(Le32(bytes, at + kLeftSiblingAt));
        pending.push_back(Le32(bytes, at + kRightSiblingAt));
    }
    return RefuseEqualNames(children, error);
}

bool NameMatches(const RootChild &child, std::string_view name)
{
    if (child.foldedName.size() != name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (child.foldedName[i] != Fold(char16_t(static_cast<unsigned char>(name[i]))))
            return false;
    return true;
}

} // namespace engine::cfb
