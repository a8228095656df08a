#include "backends/office/xls_sniff.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

namespace office
{
namespace
{

constexpr unsigned char kOleSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr size_t kHeaderDifatEntries = 109;
constexpr size_t kDirectoryEntrySize = 128;
// The records that may come before FILEPASS; it follows the first BOF.
constexpr int kRecordsBeforeFilepass = 16;
constexpr std::uint16_t kBofBiff8 = 0x0809;
constexpr std::uint16_t kBiff8Version = 0x0600;
constexpr std::uint16_t kFilepass = 0x002F;
constexpr std::uint16_t kEof = 0x000A;

std::uint16_t Le16(const unsigned char *p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Le32(const unsigned char *p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct StreamEntry {
    std::string name; // ASCII letters only; others become '?'
    std::uint32_t start = 0;
    std::uint32_t size = 0;
};

// Just enough of the compound file format to read the head of one stream.
// Every chain is bounded by the number of sectors in the file, so a damaged
// or hostile file ends the walk instead of looping.
class CompoundFile
{
  public:
    explicit CompoundFile(const std::string &path) : in_(path, std::ios::binary) {}

    bool ReadHeader();
    std::vector<StreamEntry> Entries();
    // Up to `limit` bytes from the start of the stream.
    std::vector<unsigned char> Head(const StreamEntry &entry, size_t limit);

  private:
    bool ReadAt(std::uint64_t offset, unsigned char *data, size_t size);
    std::optional<std::uint32_t> FatEntry(std::uint32_t sector);
    std::optional<std::uint32_t> MiniFatEntry(std::uint32_t sector);
    std::vector<std::uint32_t> Chain(std::uint32_t start, bool mini);
    std::vector<unsigned char> ReadChain(const std::vector<std::uint32_t> &chain, size_t unit,
                                         bool mini, size_t limit);

    std::ifstream in_;
    unsigned char header_[512] = {};
    std::uint64_t fileSize_ = 0;
    size_t sectorSize_ = 512;
    size_t miniSectorSize_ = 64;
    std::uint32_t miniCutoff_ = 4096;
    std::vector<std::uint32_t> fatSectors_;
    std::vector<std::uint32_t> miniStreamChain_;
};

bool CompoundFile::ReadAt(std::uint64_t offset, unsigned char *data, size_t size)
{
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(reinterpret_cast<char *>(data), static_cast<std::streamsize>(size));
    return in_.gcount() == static_cast<std::streamsize>(size);
}

bool CompoundFile::ReadHeader()
{
    in_.seekg(0, std::ios::end);
    fileSize_ = static_cast<std::uint64_t>(std::max<std::streamoff>(in_.tellg(), 0));
    if (!ReadAt(0, header_, sizeof header_) ||
        std::memcmp(header_, kOleSignature, sizeof kOleSignature) != 0)
        return false;
    const unsigned shift = Le16(header_ + 30);
    const unsigned miniShift = Le16(header_ + 32);
    if ((shift != 9 && shift != 12) || miniShift != 6)
        return false;
    sectorSize_ = size_t{1} << shift;
    miniSectorSize_ = size_t{1} << miniShift;
    miniCutoff_ = Le32(header_ + 56);
    for (size_t i = 0; i < kHeaderDifatEntries; ++i) {
        const std::uint32_t sector = Le32(header_ + 76 + 4 * i);
        if (sector >= kEndOfChain - 1)
            break;
        fatSectors_.push_back(sector);
    }
    // Files with more FAT sectors than the header lists (over ~7 MB with
    // 512-byte sectors) continue the list in DIFAT sectors.
    std::uint32_t difat = Le32(header_ + 68);
    std::vector<unsigned char> sector(sectorSize_);
    for (std::uint64_t guard = fileSize_ / sectorSize_; difat < kEndOfChain - 1 && guard; --guard) {
        if (!ReadAt((std::uint64_t{difat} + 1) * sectorSize_, sector.data(), sectorSize_))
            return false;
        for (size_t i = 0; i + 4 < sectorSize_; i += 4)
            if (Le32(&sector[i]) < kEndOfChain - 1)
                fatSectors_.push_back(Le32(&sector[i]));
        difat = Le32(&sector[sectorSize_ - 4]);
    }
    return true;
}

std::optional<std::uint32_t> CompoundFile::FatEntry(std::uint32_t sector)
{
    const size_t perSector = sectorSize_ / 4;
    const size_t index = sector / perSector;
    unsigned char entry[4];
    if (index >= fatSectors_.size() ||
        !ReadAt((std::uint64_t{fatSectors_[index]} + 1) * sectorSize_ + (sector % perSector) * 4,
                entry, 4))
        return std::nullopt;
    return Le32(entry);
}

std::optional<std::uint32_t> CompoundFile::MiniFatEntry(std::uint32_t sector)
{
    const std::vector<std::uint32_t> miniFat = Chain(Le32(header_ + 60), false);
    const size_t perSector = sectorSize_ / 4;
    const size_t index = sector / perSector;
    unsigned char entry[4];
    if (index >= miniFat.size() ||
        !ReadAt((std::uint64_t{miniFat[index]} + 1) * sectorSize_ + (sector % perSector) * 4, entry,
                4))
        return std::nullopt;
    return Le32(entry);
}

std::vector<std::uint32_t> CompoundFile::Chain(std::uint32_t start, bool mini)
{
    std::vector<std::uint32_t> chain;
    const std::uint64_t bound = fileSize_ / (mini ? miniSectorSize_ : sectorSize_) + 1;
    for (std::uint32_t sector = start; sector < kEndOfChain - 1 && chain.size() < bound;) {
        chain.push_back(sector);
        const auto next = mini ? MiniFatEntry(sector) : FatEntry(sector);
        if (!next)
            break;
        sector = *next;
    }
    return chain;
}

std::vector<unsigned char> CompoundFile::ReadChain(const std::vector<std::uint32_t> &chain,
                                                   size_t unit, bool mini, size_t limit)
{
    std::vector<unsigned char> data;
    std::vector<unsigned char> block(unit);
    for (const std::uint32_t sector : chain) {
        if (data.size() >= limit)
            break;
        std::uint64_t offset = (std::uint64_t{sector} + 1) * sectorSize_;
        if (mini) {
            const size_t perSector = sectorSize_ / miniSectorSize_;
            const size_t index = sector / perSector;
            if (index >= miniStreamChain_.size())
                break;
            offset = (std::uint64_t{miniStreamChain_[index]} + 1) * sectorSize_ +
                     (sector % perSector) * miniSectorSize_;
        }
        if (!ReadAt(offset, block.data(), unit))
            break;
        data.insert(data.end(), block.begin(), block.end());
    }
    data.resize(std::min(data.size(), limit));
    return data;
}

std::vector<StreamEntry> CompoundFile::Entries()
{
    const std::vector<std::uint32_t> chain = Chain(Le32(header_ + 48), false);
    const std::vector<unsigned char> directory =
        ReadChain(chain, sectorSize_, false, chain.size() * sectorSize_);
    std::vector<StreamEntry> entries;
    for (size_t at = 0; at + kDirectoryEntrySize <= directory.size(); at += kDirectoryEntrySize) {
        const unsigned char *entry = &directory[at];
        const size_t nameChars = std::min<size_t>(Le16(entry + 64) / 2, 32);
        StreamEntry stream;
        for (size_t i = 0; i + 1 < nameChars; ++i) {
            const std::uint16_t c = Le16(entry + 2 * i);
            stream.name += c < 128 ? static_cast<char>(c) : '?';
        }
        stream.start = Le32(entry + 116);
        stream.size = Le32(entry + 120);
        entries.push_back(stream);
    }
    if (!entries.empty()) // the root entry holds the mini stream
        miniStreamChain_ = Chain(entries.front().start, false);
    return entries;
}

std::vector<unsigned char> CompoundFile::Head(const StreamEntry &entry, size_t limit)
{
    const bool mini = entry.size < miniCutoff_;
    const size_t wanted = std::min<size_t>(limit, entry.size);
    return ReadChain(Chain(entry.start, mini), mini ? miniSectorSize_ : sectorSize_, mini, wanted);
}

bool SameName(const std::string &a, const char *b)
{
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

const StreamEntry *Find(const std::vector<StreamEntry> &entries, const char *name)
{
    const auto found = std::find_if(entries.begin(), entries.end(), [name](const StreamEntry &e) {
        return SameName(e.name, name);
    });
    return found == entries.end() ? nullptr : &*found;
}

// The workbook stream's first records: a BIFF8 BOF, then FILEPASS when the
// rest is encrypted.
XlsKind KindOfWorkbookStream(const std::vector<unsigned char> &head)
{
    if (head.size() < 8 || Le16(&head[0]) != kBofBiff8 || Le16(&head[4]) != kBiff8Version)
        return XlsKind::OlderFormat;
    size_t at = 4 + Le16(&head[2]);
    for (int i = 0; i < kRecordsBeforeFilepass && at + 4 <= head.size(); ++i) {
        const std::uint16_t type = Le16(&head[at]);
        if (type == kFilepass)
            return XlsKind::Encrypted;
        if (type == kEof)
            break;
        at += 4 + Le16(&head[at + 2]);
    }
    return XlsKind::Biff8;
}

bool StartsWithOldBof(const std::string &path)
{
    // Excel 2.1 to 4.0 wrote bare BIFF records, no compound file.
    std::ifstream in(path, std::ios::binary);
    unsigned char start[2] = {};
    in.read(reinterpret_cast<char *>(start), 2);
    const std::uint16_t type = Le16(start);
    return in.gcount() == 2 &&
           (type == 0x0009 || type == 0x0209 || type == 0x0409 || type == 0x0809);
}

} // namespace

XlsKind SniffXls(const std::string &path)
{
    std::ifstream probe(path, std::ios::binary | std::ios::ate);
    if (!probe)
        return XlsKind::Unreadable;
    if (probe.tellg() == 0)
        return XlsKind::Empty;
    CompoundFile file(path);
    if (!file.ReadHeader())
        return StartsWithOldBof(path) ? XlsKind::OlderFormat : XlsKind::NotXls;
    const std::vector<StreamEntry> entries = file.Entries();
    if (Find(entries, "EncryptionInfo"))
        return XlsKind::Encrypted;
    if (const StreamEntry *workbook = Find(entries, "Workbook"))
        return KindOfWorkbookStream(file.Head(*workbook, 4096));
    return Find(entries, "Book") ? XlsKind::OlderFormat : XlsKind::NotXls;
}

std::string RefusalOf(XlsKind kind)
{
    switch (kind) {
    case XlsKind::Biff8:
        return {};
    case XlsKind::Empty:
        return "the workbook file is empty (0 bytes)";
    case XlsKind::NotXls:
        return "the file is not an Excel 97-2003 workbook (damaged, or another kind of file)";
    case XlsKind::Encrypted:
        return "the workbook is encrypted with a password";
    case XlsKind::OlderFormat:
        return "an Excel 5/95 or older workbook: saving would change its format";
    case XlsKind::Unreadable:
        break;
    }
    return "the workbook file cannot be read";
}

} // namespace office
