#pragma once
// Compressing a changed part without compressing its unchanged bytes again:
// the longest unchanged run is taken over as the compressed bits it had in the
// part's previous deflate stream, and only the bytes around it are deflated.

#include "package/unchanged_runs.h"

#include <string>
#include <string_view>

namespace engine
{

// The check inflates the whole result into memory: a bigger part is better
// compressed afresh than held twice more.
constexpr size_t kLargestSplice = size_t(64) << 20;

// Whether DeflateReusing may take bits over for a text of `size` bytes that
// keeps `runs` of its previous text; if not, it deflates afresh.
bool MayReuse(const UnchangedRuns &runs, size_t size);

// Raw deflate of `data`, as DeflateForZip, re-using bits of `previous` (the
// raw deflate stream of the text `runs` refer to) where that pays. The
// result is checked by inflating it; false only when memory runs out.
bool DeflateReusing(std::string_view data, std::string_view previous, const UnchangedRuns &runs,
                    std::string &compressed);

} // namespace engine
