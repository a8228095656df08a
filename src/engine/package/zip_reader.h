#pragma once
// Reading an OOXML package with libzip: the entry table, an entry's
// uncompressed data within the size limits, or its compressed bytes as
// stored, for copying without inflate and deflate.

#include "engine/error.h"
#include "package/zip_entry.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct zip;

namespace engine
{

using ByteSink = std::function<bool(const char *data, size_t size)>;

class ZipReader
{
  public:
    ZipReader() = default;
    ~ZipReader();
    ZipReader(const ZipReader &) = delete;
    ZipReader &operator=(const ZipReader &) = delete;

    // Refuses damaged archives, encrypted entries and archives past the
    // limits in limits.h.
    bool Open(const std::string &path, Error &error);

    const std::vector<ZipEntry> &Entries() const { return entries_; }
    const std::string &ArchiveComment() const { return archiveComment_; }
    // Entry index for an OPC part name ("/xl/workbook.xml" or without the
    // leading "/"), matched ignoring ASCII case; -1 when absent.
    int Find(std::string_view partName) const;

    bool ReadData(int index, std::string &data, Error &error) const;
    bool CopyCompressed(int index, const ByteSink &sink, Error &error) const;
    bool ReadCompressed(int index, std::string &stored, Error &error) const;

  private:
    bool ReadEntryTable(Error &error);
    bool ReadEntry(std::uint64_t index, ZipEntry &entry, Error &error);
    // For compression methods other than stored and deflate.
    bool ReadDataThroughLibzip(int index, std::string &data, Error &error) const;

    zip *archive_ = nullptr;
    std::vector<ZipEntry> entries_;
    std::unordered_map<std::string, int> indexByLowerName_;
    std::string archiveComment_;
};

std::string LowerAscii(std::string_view text);

} // namespace engine
