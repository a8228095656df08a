#pragma once
// The BIFF8 record types the engine reads or edits ([MS-XLS] 2.3).

#include <cstdint>

namespace engine::biff
{

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kBoundSheet8 = 0x0085;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr std::uint16_t kIndex = 0x020B;
constexpr std::uint16_t kDbCell = 0x00D7;
constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kDefColWidth = 0x0055;
constexpr std::uint16_t kColInfo = 0x007D;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kMergedCells = 0x00E5;

// BOF versions and substream types.
constexpr std::uint16_t kBiff8Version = 0x0600;
constexpr std::uint16_t kGlobalsSubstream = 0x0005;
constexpr std::uint16_t kWorksheetSubstream = 0x0010;
constexpr std::uint16_t kChartSubstream = 0x0020;
constexpr std::uint16_t kMacroSubstream = 0x0040;

// Every record is a 4-byte header (type, body length) and its body.
constexpr size_t kHeaderSize = 4;

} // namespace engine::biff
