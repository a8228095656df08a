#include "cfb/stream_extent.h"

#include "cfb/cfb_format.h"
#include "cfb/sector_chain.h"

#include <algorithm>

namespace engine::cfb
{
namespace
{

bool Refuse(Error &error, const std::string &problem)
{
    error.Set(ErrorCode::Damaged, "not a readable compound file: " + problem);
    return false;
}

// Each piece of the stream: the file offset of one sector's share of it.
template <typename Visit>
void ForEachPiece(const CompoundTables &tables, const StreamExtent &extent, Visit visit)
{
    const size_t unit = extent.mini ? kMiniSectorSize : tables.sectorSize;
    for (std::uint64_t done = 0, i = 0; done < extent.size; done += unit, ++i) {
        const std::uint32_t id = extent.chain[i];
        const size_t at = extent.mini ? tables.MiniSectorOffset(id) : tables.SectorOffset(id);
        visit(at, size_t(std::min<std::uint64_t>(unit, extent.size - done)));
    }
}

} // namespace

bool LocateStream(std::string_view bytes, const CompoundTables &tables, std::uint32_t entry,
                  StreamExtent &extent, Error &error)
{
    extent.entry = entry;
    extent.size = tables.StreamSize(bytes, entry);
    extent.mini = extent.size < kMiniStreamCutoff;
    extent.chain.clear();
    if (extent.size > bytes.size())
        return Refuse(error, "a stream claims more bytes than the file holds");
    if (extent.size == 0)
        return true;
    const std::uint32_t start = Le32(bytes, tables.EntryOffset(entry) + kStartSectorAt);
    std::string problem;
    const bool walked =
        extent.mini
            ? WalkChain(tables.miniFat, start, tables.MiniSectorCount(), extent.chain, problem)
            : WalkChain(tables.fat, start, tables.FatLimit(), extent.chain, problem);
    if (!walked)
        return Refuse(error, "a stream's chain is broken: " + problem);
    const size_t unit = extent.mini ? kMiniSectorSize : tables.sectorSize;
    if (extent.chain.size() < SectorsFor(extent.size, unit))
        return Refuse(error, "a stream's chain is shorter than its size");
    if (!extent.mini)
        for (const std::uint32_t id : extent.chain)
            if (tables.tableSector[id])
                return Refuse(error, "a stream's chain runs into the file's tables");
    return true;
}

bool ReadExtent(std::string_view bytes, const CompoundTables &tables, const StreamExtent &extent,
                std::string &content, Error &error)
{
    content.clear();
    content.reserve(extent.size);
    bool inside = true;
    ForEachPiece(tables, extent, [&](size_t at, size_t size) {
        inside = inside && at + size <= bytes.size();
        if (inside)
            content.append(bytes.substr(at, size));
    });
    return inside || Refuse(error, "a stream runs past the end of the file");
}

bool OwnsItsSectors(std::string_view bytes, const CompoundTables &tables,
                    const StreamExtent &extent, Error &error)
{
    const std::vector<std::uint32_t> &table = extent.mini ? tables.miniFat : tables.fat;
    std::vector<bool> mine(table.size(), false);
    for (const std::uint32_t id : extent.chain)
        mine[id] = true;
    for (size_t i = 0; i < table.size(); ++i)
        if (!mine[i] && table[i] < table.size() && mine[table[i]])
            return Refuse(error, "a stream shares its sectors with another chain");
    for (size_t entry = 0; entry < tables.EntryCount(); ++entry) {
        const size_t at = tables.EntryOffset(entry);
        if (entry == extent.entry || EntryType(bytes[at + kEntryTypeAt]) != EntryType::Stream)
            continue;
        const std::uint64_t size = tables.StreamSize(bytes, entry);
        const std::uint32_t start = Le32(bytes, at + kStartSectorAt);
        if (size != 0 && (size < kMiniStreamCutoff) == extent.mini && start < table.size() &&
            mine[start])
            return Refuse(error, "a stream shares its sectors with another stream");
    }
    return true;
}

} // namespace engine::cfb
