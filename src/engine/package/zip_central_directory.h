#pragma once
// The header fields of a zip package's central directory that libzip does
// not hand out (version made by, flags, internal attributes, the DOS time as
// stored), so that copied entries keep them exactly.

#include <cstdint>
#include <string>
#include <vector>

namespace engine
{

struct CentralRecord {
    std::string name;
    std::uint16_t versionMadeBy = 0;
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint16_t internalAttributes = 0;
};

// The records in directory order. False, with no records, for a zip64
// package or anything that does not parse: callers then keep what libzip
// gave them.
bool ReadCentralRecords(const std::string &path, std::vector<CentralRecord> &records);

} // namespace engine
