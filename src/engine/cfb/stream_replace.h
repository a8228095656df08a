#pragma once
// Writing a compound file with one stream's content replaced, in place: the
// original bytes are copied and only what that stream owns changes.
//
// - The stream keeps its own sectors, in order, for as much of the new
//   content as they hold. Sectors it no longer needs are marked free and
//   zeroed, as are the bytes of kept sectors that held old content past the
//   new end, so no old content lingers. Other free sectors are not reused.
// - Sectors it gains are appended after the file's last byte, at the next
//   sector boundary: a short last sector is completed with zeros, trailing
//   bytes after the last used sector stay where they were.
// - Content below the 4096-byte cutoff lives in mini sectors; new ones are
//   appended to the mini stream (the root entry's chain and size grow, the
//   MiniFAT too). Crossing the cutoff frees the old chain in one table and
//   builds the new one in the other.
// - A FAT that must cover more sectors gains FAT sectors (marked as such),
//   listed in the header and, past 109, in new DIFAT sectors.
// - The header changes only in the counts and first-sector fields of tables
//   that grew; the directory only in this stream's start and size (version 3
//   keeps the size's high 32 bits as found) and, when the mini stream grows,
//   the root entry's.

#include "cfb/compound_tables.h"
#include "cfb/stream_extent.h"
#include "engine/error.h"

#include <string>
#include <string_view>

namespace engine::cfb
{

// `old` is the stream as located in `bytes`, its sectors its own. False with
// the reason when the file cannot take the new content without touching
// sectors others use (a file cut short whose tables describe sectors past
// its end) or the result would be too large.
bool ReplaceStream(std::string_view bytes, const CompoundTables &tables, const StreamExtent &old,
                   std::string_view content, std::string &file, Error &error);

} // namespace engine::cfb
