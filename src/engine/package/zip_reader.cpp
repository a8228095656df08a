#include "package/zip_reader.h"

#include "base/engine_limits.h"
#include "package/deflate_codec.h"
#include "package/platform_calls.h"
#include "package/zip_central_directory.h"

#include <zip.h>

#include <ctime>
#include <filesystem>

namespace engine
{
namespace
{

constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint16_t kVersion20 = 20; // deflate, folders
constexpr std::uint16_t kUtf8NameFlag = 1u << 11;

// Without the stored flags, say UTF-8 (what OPC part names are) whenever a
// name is not plain ASCII.
std::uint16_t NameFlags(const std::string &name)
{
    for (unsigned char c : name)
        if (c >= 0x80)
            return kUtf8NameFlag;
    return 0;
}

// Takes the stored header fields where the central directory could be read;
// false when it does not list the entries libzip found.
bool ApplyCentralRecords(const std::string &path, std::vector<ZipEntry> &entries)
{
    std::vector<CentralRecord> records;
    if (!ReadCentralRecords(path, records) || records.size() != entries.size())
        return false;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (WithForwardSlashes(records[i].name) != entries[i].name)
            return false;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        ZipEntry &entry = entries[i];
        const CentralRecord &record = records[i];
        entry.versionMadeBy = record.versionMadeBy;
        entry.versionNeeded = record.versionNeeded;
        entry.flags = record.flags;
        entry.internalAttributes = record.internalAttributes;
        entry.dosTime = record.dosTime;
        entry.dosDate = record.dosDate;
    }
    return true;
}

std::string LibzipMessage(zip_error_t *zipError)
{
    std::string message = zip_error_strerror(zipError);
    zip_error_fini(zipError);
    return message;
}

// libzip turns the stored DOS time into calendar time with the local zone;
// the reverse conversion gives back the stored fields.
void ToDosTime(std::time_t time, ZipEntry &entry)
{
    const std::tm local = LocalTime(time);
    const int year = local.tm_year + 1900 < 1980 ? 0 : local.tm_year + 1900 - 1980;
    entry.dosDate =
        static_cast<std::uint16_t>((year << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    entry.dosTime = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) |
                                               (local.tm_sec / 2));
}

std::string ExtraFields(zip_t *archive, std::uint64_t index, zip_flags_t where)
{
    std::string raw;
    const zip_int16_t count = zip_file_extra_fields_count(archive, index, where);
    for (zip_int16_t i = 0; i < count; ++i) {
        zip_uint16_t id = 0;
        zip_uint16_t length = 0;
        const zip_uint8_t *data = zip_file_extra_field_get(
            archive, index, static_cast<zip_uint16_t>(i), &id, &length, where);
        if (!data || id == kZip64ExtraId)
            continue;
        const char header[4] = {static_cast<char>(id & 0xff), static_cast<char>(id >> 8),
                                static_cast<char>(length & 0xff), static_cast<char>(length >> 8)};
        raw.append(header, 4);
        raw.append(reinterpret_cast<const char *>(data), length);
    }
    return raw;
}

bool ExceedsRatio(const ZipEntry &entry)
{
    if (entry.size < limits::kRatioCheckMinSize)
        return false;
    return entry.compressedSize == 0 ||
           entry.size / entry.compressedSize > limits::kMaxCompressionRatio;
}

} // namespace

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return lower;
}

ZipReader::~ZipReader()
{
    if (archive_)
        zip_discard(archive_);
}

bool ZipReader::Open(const std::string &path, Error &error)
{
    int code = 0;
    archive_ = OpenZip(path, ZIP_RDONLY | ZIP_CHECKCONS, code);
    // Local headers that disagree with the directory in fields reading
    // ignores are common among writers; the directory decides for those.
    const bool readByDirectory = !archive_ && code == ZIP_ER_INCONS;
    if (readByDirectory) {
        const std::string conflict = LocalHeaderConflict(path);
        if (!conflict.empty()) {
            error.Set(ErrorCode::Damaged, "not a readable zip package: " + conflict);
            return false;
        }
        archive_ = OpenZip(path, ZIP_RDONLY, code);
    }
    if (!archive_) {
        // An empty file is what a failed copy or a full disk often leaves: say so.
        std::error_code sizeError;
        if (code == ZIP_ER_NOZIP && std::filesystem::file_size(path, sizeError) == 0 &&
            !sizeError) {
            error.Set(ErrorCode::Damaged, "the workbook file is empty (0 bytes)");
            return false;
        }
        zip_error_t zipError;
        zip_error_init_with_code(&zipError, code);
        const ErrorCode kind = code == ZIP_ER_OPEN || code == ZIP_ER_READ || code == ZIP_ER_NOENT
                                   ? ErrorCode::FileAccess
                                   : ErrorCode::Damaged;
        error.Set(kind, "not a readable zip package: " + LibzipMessage(&zipError));
        return false;
    }
    int commentLength = 0;
    const char *comment = zip_get_archive_comment(archive_, &commentLength, ZIP_FL_ENC_RAW);
    if (comment)
        archiveComment_.assign(comment, static_cast<size_t>(commentLength));
    if (!ReadEntryTable(error))
        return false;
    if (!ApplyCentralRecords(path, entries_) && readByDirectory) {
        error.Set(ErrorCode::Damaged, "not a readable zip package: its directory is ambiguous");
        return false;
    }
    return true;
}

bool ZipReader::ReadEntryTable(Error &error)
{
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > limits::kMaxEntries) {
        error.Set(ErrorCode::LimitExceeded, "too many entries in the package");
        return false;
    }
    std::uint64_t total = 0;
    entries_.resize(static_cast<size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        ZipEntry &entry = entries_[static_cast<size_t>(i)];
        if (!ReadEntry(static_cast<std::uint64_t>(i), entry, error))
            return false;
        total += entry.size;
        if (total > limits::kMaxTotalUncompressed || entry.size > limits::kMaxPartSize ||
            ExceedsRatio(entry)) {
            error.Set(ErrorCode::LimitExceeded,
                      "the package expands beyond the size limits (zip bomb?): " + entry.name);
            return false;
        }
        // Part names ignore case: two spellings of one name make it
        // ambiguous which part the package means.
        if (!indexByLowerName_.emplace(LowerAscii(entry.name), static_cast<int>(i)).second) {
            error.Set(ErrorCode::Damaged, "the package has two entries named " + entry.name +
                                              " (ignoring case and \\ for /)");
            return false;
        }
    }
    return true;
}

bool ZipReader::ReadEntry(std::uint64_t index, ZipEntry &entry, Error &error)
{
    zip_stat_t stat;
    if (zip_stat_index(archive_, index, ZIP_FL_ENC_RAW, &stat) != 0) {
        error.Set(ErrorCode::Damaged, "unreadable zip entry");
        return false;
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        error.Set(ErrorCode::Encrypted, "the package has encrypted entries");
        return false;
    }
    entry.name = WithForwardSlashes(stat.name);
    entry.method = stat.comp_method;
    entry.crc = stat.crc;
    entry.compressedSize = stat.comp_size;
    entry.size = stat.size;
    ToDosTime(stat.mtime, entry);
    std::uint8_t hostSystem = 0;
    zip_file_get_external_attributes(archive_, index, 0, &hostSystem, &entry.externalAttributes);
    entry.versionMadeBy = static_cast<std::uint16_t>((hostSystem << 8) | kVersion20);
    entry.versionNeeded = kVersion20;
    entry.flags = NameFlags(entry.name);
    entry.localExtra = ExtraFields(archive_, index, ZIP_FL_LOCAL);
    entry.centralExtra = ExtraFields(archive_, index, ZIP_FL_CENTRAL);
    zip_uint32_t commentLength = 0;
    const char *comment = zip_file_get_comment(archive_, index, &commentLength, ZIP_FL_ENC_RAW);
    if (comment)
        entry.comment.assign(comment, commentLength);
    return true;
}

int ZipReader::Find(std::string_view partName) const
{
    if (!partName.empty() && partName.front() == '/')
        partName.remove_prefix(1);
    const auto found = indexByLowerName_.find(LowerAscii(partName));
    return found == indexByLowerName_.end() ? -1 : found->second;
}

bool ZipReader::ReadData(int index, std::string &data, Error &error) const
{
    const ZipEntry &entry = entries_[static_cast<size_t>(index)];
    if (entry.method != kMethodStored && entry.method != kMethodDeflate)
        return ReadDataThroughLibzip(index, data, error);
    std::string stored;
    if (!ReadCompressed(index, stored, error))
        return false;
    // libdeflate inflates several times faster than zlib; the CRC is checked
    // here since the compressed bytes bypass libzip's own check.
    bool decoded = false;
    if (entry.method == kMethodStored) {
        decoded = stored.size() == entry.size;
        data.swap(stored);
    } else {
        decoded = InflateExactly(stored, static_cast<size_t>(entry.size), data);
    }
    if (!decoded || Crc32(data) != entry.crc) {
        error.Set(ErrorCode::Damaged, "damaged zip entry " + entry.name);
        return false;
    }
    return true;
}

bool ZipReader::ReadCompressed(int index, std::string &stored, Error &error) const
{
    stored.clear();
    stored.reserve(static_cast<size_t>(entries_[static_cast<size_t>(index)].compressedSize));
    const ByteSink collect = [&stored](const char *bytes, size_t size) {
        stored.append(bytes, size);
        return true;
    };
    return CopyCompressed(index, collect, error);
}

bool ZipReader::ReadDataThroughLibzip(int index, std::string &data, Error &error) const
{
    const ZipEntry &entry = entries_[static_cast<size_t>(index)];
    zip_file_t *file = zip_fopen_index(archive_, static_cast<std::uint64_t>(index), 0);
    if (!file) {
        error.Set(ErrorCode::Unsupported, "cannot read " + entry.name);
        return false;
    }
    // One byte more than declared shows an entry that lies about its size.
    data.resize(static_cast<size_t>(entry.size) + 1);
    const zip_int64_t got = zip_fread(file, data.data(), data.size());
    zip_fclose(file);
    if (got != static_cast<zip_int64_t>(entry.size)) {
        error.Set(ErrorCode::Damaged, "damaged zip entry " + entry.name);
        return false;
    }
    data.resize(static_cast<size_t>(got));
    return true;
}

bool ZipReader::CopyCompressed(int index, const ByteSink &sink, Error &error) const
{
    const ZipEntry &entry = entries_[static_cast<size_t>(index)];
    zip_file_t *file =
        zip_fopen_index(archive_, static_cast<std::uint64_t>(index), ZIP_FL_COMPRESSED);
    if (!file) {
        error.Set(ErrorCode::Damaged, "cannot read " + entry.name);
        return false;
    }
    std::uint64_t copied = 0;
    char buffer[1 << 16];
    zip_int64_t got = 0;
    bool sinkAccepted = true;
    while (sinkAccepted && (got = zip_fread(file, buffer, sizeof buffer)) > 0) {
        copied += static_cast<std::uint64_t>(got);
        sinkAccepted = sink(buffer, static_cast<size_t>(got));
    }
    zip_fclose(file);
    if (!sinkAccepted)
        return false; // the sink has reported its own error
    if (got < 0 || copied != entry.compressedSize) {
        error.Set(ErrorCode::Damaged, "damaged zip entry " + entry.name);
        return false;
    }
    return true;
}

} // namespace engine
