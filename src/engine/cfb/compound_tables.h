#pragma once
// The tables of a compound file, read and checked once: the FAT (through
// the header's DIFAT and its DIFAT sectors), the directory's chain, the
// MiniFAT and the mini stream's chain. Nothing else of the file is read here.

#include "engine/error.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace engine::cfb
{

struct CompoundTables {
    int majorVersion = 3;
    unsigned sectorShift = 9;
    size_t sectorSize = 512;
    // Sectors the file holds, a short last one included.
    std::uint64_t sectorCount = 0;
    std::vector<std::uint32_t> fatSectors; // in the order the DIFAT lists them
    std::vector<std::uint32_t> difatSectors;
    std::vector<std::uint32_t> fat;
    std::vector<std::uint32_t> directorySectors;
    std::vector<std::uint32_t> miniFatSectors;
    std::vector<std::uint32_t> miniFat;
    std::vector<std::uint32_t> miniStreamSectors; // the root entry's chain
    std::uint64_t miniStreamSize = 0;
    // Sectors that hold any of the above (the mini stream's too): no stream may use them.
    std::vector<bool> tableSector;

    size_t IdsPerSector() const { return sectorSize / 4; }
    size_t SectorOffset(std::uint32_t id) const { return (size_t(id) + 1) << sectorShift; }
    // Where a mini sector lies in the file, through the mini stream's chain;
    // `mini` is below MiniSectorCount().
    size_t MiniSectorOffset(std::uint32_t mini) const;
    size_t EntryCount() const;
    size_t EntryOffset(size_t entry) const;
    // Stream sizes: version 3 files keep only the low 32 bits, the rest may be garbage.
    std::uint64_t StreamSize(std::string_view bytes, size_t entry) const;
    // Highest sector count a chain of the FAT can reach: existing sectors it covers.
    std::uint64_t FatLimit() const;
    std::uint64_t MiniSectorCount() const;
};

// False with the reason (Damaged, LimitExceeded, NotSpreadsheet) when the
// header or any of these tables is unsound.
bool ReadTables(std::string_view bytes, CompoundTables &tables, Error &error);

} // namespace engine::cfb
