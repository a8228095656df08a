#pragma once
// Bounds on the work any input can cause. A package beyond one of them is
// refused as "not opened" instead of exhausting memory or time.

#include <cstdint>

namespace engine::limits
{

// The zip writer uses 32-bit sizes and offsets; keeping inputs below these
// bounds also keeps every saved package inside the classic zip format.
constexpr std::uint64_t kMaxEntries = 65535;
constexpr std::uint64_t kMaxTotalUncompressed = 2ull << 30;
constexpr std::uint64_t kMaxPartSize = 1ull << 30;
constexpr std::uint64_t kMaxPackageFileSize = 2ull << 30;
// Deflate of ordinary XML rarely passes 100:1; bombs reach 1000:1.
constexpr std::uint64_t kMaxCompressionRatio = 500;
// Small entries may be padding-like and legitimately compress very well.
constexpr std::uint64_t kRatioCheckMinSize = 1u << 20;
// Compound files (.xls) are held whole in memory; real ones stay below 100 MB.
constexpr std::uint64_t kMaxCompoundFileSize = 1ull << 30;
constexpr int kMaxXmlDepth = 256;
// Real elements carry a few dozen at most (a root with its namespaces);
// thousands make every attribute lookup of an edit a long scan.
constexpr int kMaxXmlAttributes = 1000;

} // namespace engine::limits
