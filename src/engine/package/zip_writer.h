#pragma once
// Writing a zip package entry by entry: either raw compressed bytes copied
// from another package or new data. Classic (non-zip64) format only; the
// input limits keep every package we write below its 4 GiB bounds.

#include "engine/error.h"
#include "package/unchanged_runs.h"
#include "package/zip_entry.h"
#include "package/zip_reader.h"

#include <functional>
#include <string>
#include <vector>

namespace engine
{

class ZipWriter
{
  public:
    explicit ZipWriter(ByteSink sink) : sink_(std::move(sink)) {}

    // The entry's compressed bytes come from the source package unchanged.
    bool CopyEntry(const ZipReader &source, int index, Error &error);
    // A new body for the entry: deflated here, metadata kept from `entry`.
    bool AddEntry(const ZipEntry &entry, std::string_view data, Error &error);
    // A new body compressed by the caller (raw deflate of `data`).
    bool AddCompressed(const ZipEntry &entry, std::string_view data, const std::string &compressed,
                       Error &error);
    // A new body that keeps runs of the entry's body in `source`:
    // their compressed bits are taken over where they can be.
    bool AddEditedEntry(const ZipReader &source, int index, std::string_view data,
                        const UnchangedRuns &runs, Error &error);
    // A body written by `writeBody` through the sink it is given, for data
    // too big to hold: `entry` states the method, CRC and sizes beforehand,
    // and the body must come out at exactly entry.compressedSize bytes.
    bool AddStreamed(const ZipEntry &entry, const std::function<bool(const ByteSink &)> &writeBody,
                     Error &error);
    // The central directory and its end record.
    bool Finish(const std::string &archiveComment, Error &error);

  private:
    bool WriteLocalHeader(const ZipEntry &entry, Error &error);
    bool Put(const std::string &bytes, Error &error);
    // The sink, counting what goes through it.
    ByteSink CountingSink();

    ByteSink sink_;
    std::vector<std::pair<ZipEntry, std::uint32_t>> written_; // entry, local header offset
    std::uint64_t offset_ = 0;
};

// `entry` with a new deflated body of these properties.
ZipEntry DeflatedEntry(const ZipEntry &entry, std::uint32_t crc, std::uint64_t size,
                       std::uint64_t compressedSize);

} // namespace engine
