#include "cfb/compound_tables.h"

#include "base/engine_limits.h"
#include "cfb/cfb_format.h"
#include "cfb/sector_chain.h"

#include <algorithm>
#include <string>

namespace engine::cfb
{
namespace
{

constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

bool Refuse(Error &error, const std::string &problem)
{
    error.Set(ErrorCode::Damaged, "not a readable compound file: " + problem);
    return false;
}

bool ReadHeader(std::string_view bytes, CompoundTables &tables, Error &error)
{
    if (bytes.substr(0, 8) != std::string_view(kSignature, 8)) {
        error.Set(ErrorCode::NotSpreadsheet, "not a compound file");
        return false;
    }
    if (bytes.size() > limits::kMaxCompoundFileSize) {
        error.Set(ErrorCode::LimitExceeded, "the compound file is too large");
        return false;
    }
    if (bytes.size() < kHeaderSize)
        return Refuse(error, "its header is cut short");
    if (Le16(bytes, kByteOrderAt) != 0xFFFE)
        return Refuse(error, "its header has the wrong byte order mark");
    tables.majorVersion = Le16(bytes, kMajorVersionAt);
    tables.sectorShift = Le16(bytes, kSectorShiftAt);
    const bool version3 = tables.majorVersion == 3 && tables.sectorShift == 9;
    const bool version4 = tables.majorVersion == 4 && tables.sectorShift == 12;
    if (!version3 && !version4)
        return Refuse(error, "its version and sector size are not 3 with 512 or 4 with 4096");
    if (Le16(bytes, kMiniSectorShiftAt) != 6 ||
        Le32(bytes, kMiniStreamCutoffAt) != kMiniStreamCutoff)
        return Refuse(error, "its mini sectors are not the standard 64 bytes below 4096");
    tables.sectorSize = size_t(1) << tables.sectorShift;
    if (bytes.size() < tables.sectorSize)
        return Refuse(error, "its header sector is cut short");
    tables.sectorCount = SectorsFor(bytes.size() - tables.sectorSize, tables.sectorSize);
    tables.tableSector.assign(tables.sectorCount, false);
    return true;
}

// A table sector must be whole inside the file and serve one table only.
bool ClaimTableSector(std::string_view bytes, CompoundTables &tables, std::uint32_t id,
                      Error &error)
{
    if (id >= tables.sectorCount || tables.SectorOffset(id) + tables.sectorSize > bytes.size())
        return Refuse(error, "a table lies past the end of the file");
    if (tables.tableSector[id])
        return Refuse(error, "a sector serves two tables");
    tables.tableSector[id] = true;
    return true;
}

bool ReadFatSectorIds(std::string_view bytes, CompoundTables &tables, Error &error)
{
    const std::uint32_t fatCount = Le32(bytes, kFatSectorCountAt);
    if (fatCount > tables.sectorCount)
        return Refuse(error, "its header counts more FAT sectors than the file holds");
    for (size_t i = 0; i < kHeaderDifatEntries && tables.fatSectors.size() < fatCount; ++i)
        tables.fatSectors.push_back(Le32(bytes, kHeaderDifatAt + 4 * i));
    const bool difatUsed = fatCount > kHeaderDifatEntries || Le32(bytes, kDifatSectorCountAt) != 0;
    std::uint32_t next = difatUsed ? Le32(bytes, kFirstDifatSectorAt) : kEndOfChain;
    const size_t perSector = tables.IdsPerSector() - 1;
    while (next != kEndOfChain && next != kFreeSector) {
        if (!ClaimTableSector(bytes, tables, next, error))
            return false;
        tables.difatSectors.push_back(next);
        const size_t at = tables.SectorOffset(next);
        for (size_t i = 0; i < perSector && tables.fatSectors.size() < fatCount; ++i)
            tables.fatSectors.push_back(Le32(bytes, at + 4 * i));
        next = Le32(bytes, at + 4 * perSector);
    }
    if (tables.fatSectors.size() < fatCount)
        return Refuse(error, "its DIFAT lists fewer FAT sectors than the header counts");
    return true;
}

void LoadTable(std::string_view bytes, const CompoundTables &tables,
               const std::vector<std::uint32_t> &sectors, std::vector<std::uint32_t> &table)
{
    table.reserve(sectors.size() * tables.IdsPerSector());
    for (const std::uint32_t id : sectors)
        for (size_t i = 0; i < tables.IdsPerSector(); ++i)
            table.push_back(Le32(bytes, tables.SectorOffset(id) + 4 * i));
}

bool ReadFat(std::string_view bytes, CompoundTables &tables, Error &error)
{
    if (!ReadFatSectorIds(bytes, tables, error))
        return false;
    for (const std::uint32_t id : tables.fatSectors)
        if (!ClaimTableSector(bytes, tables, id, error))
            return false;
    LoadTable(bytes, tables, tables.fatSectors, tables.fat);
    return true;
}

// A table stored as a chain of the FAT: the directory, the MiniFAT, the mini stream.
bool ReadTableChain(std::string_view bytes, CompoundTables &tables, std::uint32_t start,
                    const char *what, std::vector<std::uint32_t> &chain, Error &error)
{
    std::string problem;
    if (!WalkChain(tables.fat, start, tables.FatLimit(), chain, problem))
        return Refuse(error, std::string(what) + ": " + problem);
    for (const std::uint32_t id : chain)
        if (!ClaimTableSector(bytes, tables, id, error))
            return false;
    return true;
}

bool ReadDirectoryAndMiniTables(std::string_view bytes, CompoundTables &tables, Error &error)
{
    if (!ReadTableChain(bytes, tables, Le32(bytes, kFirstDirectorySectorAt), "its directory",
                        tables.directorySectors, error))
        return false;
    if (tables.directorySectors.empty() ||
        EntryType(bytes[tables.EntryOffset(0) + kEntryTypeAt]) != EntryType::Root)
        return Refuse(error, "its directory has no root entry");
    const std::uint32_t miniFatStart = Le32(bytes, kFirstMiniFatSectorAt);
    if (miniFatStart != kEndOfChain && miniFatStart != kFreeSector) {
        if (!ReadTableChain(bytes, tables, miniFatStart, "its MiniFAT", tables.miniFatSectors,
                            error))
            return false;
        LoadTable(bytes, tables, tables.miniFatSectors, tables.miniFat);
    }
    tables.miniStreamSize = tables.StreamSize(bytes, 0);
    if (tables.miniStreamSize == 0)
        return true;
    if (tables.miniStreamSize > bytes.size())
        return Refuse(error, "its mini stream claims more bytes than the file holds");
    const size_t root = tables.EntryOffset(0);
    if (!ReadTableChain(bytes, tables, Le32(bytes, root + kStartSectorAt), "its mini stream",
                        tables.miniStreamSectors, error))
        return false;
    if (tables.miniStreamSectors.size() < SectorsFor(tables.miniStreamSize, tables.sectorSize))
        return Refuse(error, "its mini stream is shorter than its size");
    return true;
}

} // namespace

size_t CompoundTables::MiniSectorOffset(std::uint32_t mini) const
{
    const size_t position = size_t(mini) * kMiniSectorSize;
    return SectorOffset(miniStreamSectors[position >> sectorShift]) + (position & (sectorSize - 1));
}

size_t CompoundTables::EntryCount() const
{
    return directorySectors.size() * (sectorSize / kDirectoryEntrySize);
}

size_t CompoundTables::EntryOffset(size_t entry) const
{
    const size_t perSector = sectorSize / kDirectoryEntrySize;
    return SectorOffset(directorySectors[entry / perSector]) +
           (entry % perSector) * kDirectoryEntrySize;
}

std::uint64_t CompoundTables::StreamSize(std::string_view bytes, size_t entry) const
{
    const size_t at = EntryOffset(entry) + kStreamSizeAt;
    const std::uint64_t high = majorVersion == 3 ? 0 : Le32(bytes, at + 4);
    return Le32(bytes, at) | high << 32;
}

std::uint64_t CompoundTables::FatLimit() const
{
    return std::min<std::uint64_t>(fat.size(), sectorCount);
}

std::uint64_t CompoundTables::MiniSectorCount() const
{
    const std::uint64_t held = miniStreamSectors.size() * (sectorSize / kMiniSectorSize);
    return std::min<std::uint64_t>(
        {miniFat.size(), held, SectorsFor(miniStreamSize, kMiniSectorSize)});
}

bool ReadTables(std::string_view bytes, CompoundTables &tables, Error &error)
{
    return ReadHeader(bytes, tables, error) && ReadFat(bytes, tables, error) &&
           ReadDirectoryAndMiniTables(bytes, tables, error);
}

} // namespace engine::cfb
