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
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t size = 0;
    std::uint32_t localOffset = 0;
};

// The records in directory order. False, with no records, for a zip64
// package or anything that does not parse: callers then keep what libzip
// gave them.
bool ReadCentralRecords(const std::string &path, std::vector<CentralRecord> &records);

// For a package whose local headers disagree with its central directory:
// empty when they differ only in what reading by the directory ignores
// (versions, flag bits other than encryption, times, extra fields, sizes left
// as zero, `\` for `/` in names); else why reading it would be a guess.
std::string LocalHeaderConflict(const std::string &path);

// `\` separators, written by some tools, as the `/` part names use.
std::string WithForwardSlashes(std::string name);

} // namespace engine
