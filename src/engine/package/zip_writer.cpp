#include "package/zip_writer.h"

#include "package/deflate_codec.h"
#include "package/deflate_splice.h"

#include <algorithm>
#include <limits>

namespace engine
{
namespace
{

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t kEndOfCentralSignature = 0x06054b50;
constexpr std::uint16_t kVersion20 = 20; // deflate, folders
// Sizes always go into the local header, so no data descriptor follows.
constexpr std::uint16_t kDataDescriptorFlag = 1u << 3;
// Bits 1 and 2 describe how the deflate data was made.
constexpr std::uint16_t kDeflateOptionFlags = 3u << 1;

void Put16(std::string &out, std::uint64_t value)
{
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>((value >> 8) & 0xff));
}

void Put32(std::string &out, std::uint64_t value)
{
    Put16(out, value & 0xffff);
    Put16(out, (value >> 16) & 0xffff);
}

bool Fits32(std::uint64_t value)
{
    return value <= std::numeric_limits<std::uint32_t>::max();
}

// Fields shared by the local and the central header, from "version needed".
void PutCommonFields(std::string &out, const ZipEntry &entry, size_t extraSize)
{
    Put16(out, entry.versionNeeded);
    Put16(out, entry.flags & ~kDataDescriptorFlag);
    Put16(out, entry.method);
    Put16(out, entry.dosTime);
    Put16(out, entry.dosDate);
    Put32(out, entry.crc);
    Put32(out, entry.compressedSize);
    Put32(out, entry.size);
    Put16(out, entry.name.size());
    Put16(out, extraSize);
}

} // namespace

bool ZipWriter::Put(const std::string &bytes, Error &error)
{
    if (!sink_(bytes.data(), bytes.size())) {
        if (!error)
            error.Set(ErrorCode::FileAccess, "cannot write the package");
        return false;
    }
    offset_ += bytes.size();
    return true;
}

ByteSink ZipWriter::CountingSink()
{
    return [this](const char *data, size_t size) {
        offset_ += size;
        return sink_(data, size);
    };
}

bool ZipWriter::WriteLocalHeader(const ZipEntry &entry, Error &error)
{
    if (!Fits32(offset_) || !Fits32(entry.size) || !Fits32(entry.compressedSize)) {
        error.Set(ErrorCode::LimitExceeded, "the package would exceed 4 GiB");
        return false;
    }
    written_.emplace_back(entry, static_cast<std::uint32_t>(offset_));
    std::string header;
    Put32(header, kLocalHeaderSignature);
    PutCommonFields(header, entry, entry.localExtra.size());
    header += entry.name;
    header += entry.localExtra;
    return Put(header, error);
}

bool ZipWriter::CopyEntry(const ZipReader &source, int index, Error &error)
{
    const ZipEntry &entry = source.Entries()[static_cast<size_t>(index)];
    if (!WriteLocalHeader(entry, error))
        return false;
    const ByteSink counted = CountingSink();
    if (source.CopyCompressed(index, counted, error))
        return true;
    if (!error)
        error.Set(ErrorCode::FileAccess, "cannot write the package");
    return false;
}

bool ZipWriter::AddEntry(const ZipEntry &entry, std::string_view data, Error &error)
{
    std::string compressed;
    if (!DeflateForZip(data, compressed)) {
        error.Set(ErrorCode::LimitExceeded, "out of memory while compressing " + entry.name);
        return false;
    }
    return AddCompressed(entry, data, compressed, error);
}

bool ZipWriter::AddEditedEntry(const ZipReader &source, int index, std::string_view data,
                               const UnchangedRuns &runs, Error &error)
{
    const ZipEntry &entry = source.Entries()[static_cast<size_t>(index)];
    if (entry.method != kMethodDeflate || data.size() > kLargestSplice ||
        !MayReuse(runs, data.size()))
        return AddEntry(entry, data, error);
    std::string previous;
    std::string compressed;
    if (!source.ReadCompressed(index, previous, error))
        return false;
    if (!DeflateReusing(data, previous, runs, compressed)) {
        error.Set(ErrorCode::LimitExceeded, "out of memory while compressing " + entry.name);
        return false;
    }
    return AddCompressed(entry, data, compressed, error);
}

bool ZipWriter::AddCompressed(const ZipEntry &entry, std::string_view data,
                              const std::string &compressed, Error &error)
{
    const ZipEntry changed = DeflatedEntry(entry, Crc32(data), data.size(), compressed.size());
    return WriteLocalHeader(changed, error) && Put(compressed, error);
}

ZipEntry DeflatedEntry(const ZipEntry &entry, std::uint32_t crc, std::uint64_t size,
                       std::uint64_t compressedSize)
{
    ZipEntry changed = entry;
    changed.method = kMethodDeflate;
    changed.versionNeeded = std::max(changed.versionNeeded, kVersion20);
    changed.flags &= ~kDeflateOptionFlags;
    changed.crc = crc;
    changed.size = size;
    changed.compressedSize = compressedSize;
    return changed;
}

bool ZipWriter::AddStreamed(const ZipEntry &entry,
                            const std::function<bool(const ByteSink &)> &writeBody, Error &error)
{
    if (!WriteLocalHeader(entry, error))
        return false;
    const std::uint64_t bodyStart = offset_;
    const ByteSink counted = CountingSink();
    if (!writeBody(counted)) {
        if (!error)
            error.Set(ErrorCode::FileAccess, "cannot write the package");
        return false;
    }
    if (offset_ - bodyStart == entry.compressedSize)
        return true;
    error.Set(ErrorCode::Unsupported,
              "internal error: " + entry.name + " came out at another size");
    return false;
}

bool ZipWriter::Finish(const std::string &archiveComment, Error &error)
{
    const std::uint64_t directoryStart = offset_;
    std::string directory;
    for (const auto &[entry, localOffset] : written_) {
        Put32(directory, kCentralHeaderSignature);
        Put16(directory, entry.versionMadeBy);
        PutCommonFields(directory, entry, entry.centralExtra.size());
        Put16(directory, entry.comment.size());
        Put16(directory, 0); // disk number
        Put16(directory, entry.internalAttributes);
        Put32(directory, entry.externalAttributes);
        Put32(directory, localOffset);
        directory += entry.name;
        directory += entry.centralExtra;
        directory += entry.comment;
    }
    if (!Fits32(directoryStart + directory.size())) {
        error.Set(ErrorCode::LimitExceeded, "the package would exceed 4 GiB");
        return false;
    }
    const size_t centralSize = directory.size();
    Put32(directory, kEndOfCentralSignature);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, written_.size());
    Put16(directory, written_.size());
    Put32(directory, centralSize);
    Put32(directory, directoryStart);
    Put16(directory, archiveComment.size());
    directory += archiveComment;
    return Put(directory, error);
}

} // namespace engine
