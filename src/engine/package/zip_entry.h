#pragma once
// What a zip entry carries besides its data; read from one package and
// written unchanged into the next, so a raw-copied entry keeps its identity.

#include <cstdint>
#include <string>

namespace engine
{

struct ZipEntry {
    std::string name; // raw bytes, as stored
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint16_t versionMadeBy = 0; // host system in the high byte
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0; // general purpose bits
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;
    std::string localExtra;   // raw extra fields, without zip64 data
    std::string centralExtra; // raw extra fields, without zip64 data
    std::string comment;
};

} // namespace engine
