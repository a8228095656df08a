#pragma once
// The fixed layout of a compound file ([MS-CFB]): the header's fields, the
// special sector ids and the directory entry's fields, with little-endian
// access to them. Only moves bytes: callers check bounds first.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace engine::cfb
{

// Sector ids above kMaxRegularSector are markers, not sectors.
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
// Directory entry ids share the markers' range; "no sibling/child" is this one.
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

constexpr size_t kHeaderSize = 512;
constexpr size_t kHeaderDifatEntries = 109;
constexpr size_t kMiniSectorSize = 64;
constexpr std::uint64_t kMiniStreamCutoff = 4096;
constexpr size_t kDirectoryEntrySize = 128;

// Header field offsets.
constexpr size_t kMajorVersionAt = 26;
constexpr size_t kByteOrderAt = 28;
constexpr size_t kSectorShiftAt = 30;
constexpr size_t kMiniSectorShiftAt = 32;
constexpr size_t kDirectorySectorCountAt = 40;
constexpr size_t kFatSectorCountAt = 44;
constexpr size_t kFirstDirectorySectorAt = 48;
constexpr size_t kMiniStreamCutoffAt = 56;
constexpr size_t kFirstMiniFatSectorAt = 60;
constexpr size_t kMiniFatSectorCountAt = 64;
constexpr size_t kFirstDifatSectorAt = 68;
constexpr size_t kDifatSectorCountAt = 72;
constexpr size_t kHeaderDifatAt = 76;

// Directory entry field offsets.
constexpr size_t kNameLengthAt = 64;
constexpr size_t kEntryTypeAt = 66;
constexpr size_t kLeftSiblingAt = 68;
constexpr size_t kRightSiblingAt = 72;
constexpr size_t kChildAt = 76;
constexpr size_t kStartSectorAt = 116;
constexpr size_t kStreamSizeAt = 120;

enum class EntryType : std::uint8_t { Unused = 0, Storage = 1, Stream = 2, Root = 5 };

inline std::uint16_t Le16(std::string_view bytes, size_t at)
{
    return std::uint16_t(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
}

inline std::uint32_t Le32(std::string_view bytes, size_t at)
{
    return std::uint32_t(Le16(bytes, at)) | std::uint32_t(Le16(bytes, at + 2)) << 16;
}

inline void SetLe32(std::string &bytes, size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

} // namespace engine::cfb
