#pragma once
// A compound file ([MS-CFB], the container of a legacy .xls) held in memory
// as its bytes. Reading walks its tables; replacing a stream copies the
// bytes and patches only what that stream owns (see stream_replace.h), so
// every other stream, storage, directory entry and byte stays as it was.

#include "cfb/compound_tables.h"
#include "cfb/root_directory.h"
#include "cfb/stream_extent.h"
#include "engine/error.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine
{

class CompoundFile
{
  public:
    // Null with the reason for anything that is not a sound compound file:
    // no signature (NotSpreadsheet), larger than limits::kMaxCompoundFileSize
    // (LimitExceeded), or (Damaged) a bad header, a sector size other than
    // 512 (version 3) or 4096 (version 4), FAT, DIFAT, MiniFAT, directory or
    // mini stream chains that loop, point past the file or share sectors,
    // a root storage whose tree loops or names an entry twice. Parts never
    // read here (other storages, other streams' chains) are not judged.
    // A short last sector is accepted: it is read as far as it goes.
    static std::unique_ptr<CompoundFile> Parse(std::string bytes, Error &error);

    const std::string &Bytes() const { return bytes_; }

    // Streams directly in the root storage, by name: ASCII, compared
    // case-insensitively ("Workbook", "\x05SummaryInformation").
    bool HasStream(std::string_view name) const;
    // False with the reason when there is no such stream, its chain is
    // broken or it runs past the end of the file.
    bool ReadStream(std::string_view name, std::string &content, Error &error) const;
    // The whole file with that stream's content replaced, in `file`. False
    // with the reason as ReadStream, and when the stream's sectors are shared
    // with another chain, or it must grow and the file is cut short.
    bool WithStreamReplaced(std::string_view name, std::string_view content, std::string &file,
                            Error &error) const;

  private:
    CompoundFile() = default;
    const cfb::RootChild *FindStream(std::string_view name) const;
    bool Locate(std::string_view name, cfb::StreamExtent &extent, Error &error) const;

    std::string bytes_;
    cfb::CompoundTables tables_;
    std::vector<cfb::RootChild> rootChildren_;
};

} // namespace engine
