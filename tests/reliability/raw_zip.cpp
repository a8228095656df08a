#include "raw_zip.h"

#include <zlib.h>

namespace hostile
{
namespace
{

void Put16(std::string &out, std::uint32_t value)
{
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

void Put32(std::string &out, std::uint32_t value)
{
    Put16(out, value & 0xffff);
    Put16(out, value >> 16);
}

struct Written {
    const ZipItem *item;
    std::uint32_t crc;
    std::uint32_t compressedSize;
    std::uint32_t offset;
};

// The fields local and central headers share, from "version needed" on.
struct SharedFields {
    std::uint16_t versionNeeded = 20;
    std::uint16_t flags = 0;
    std::uint16_t method = 8;
    std::uint16_t time = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t size = 0;
    std::string name;
    std::string extra;
};

SharedFields CentralFields(const Written &entry)
{
    const ZipItem &item = *entry.item;
    const auto size = static_cast<std::uint32_t>(item.data.size());
    return SharedFields{20,
                        item.centralFlags,
                        static_cast<std::uint16_t>(item.deflate ? 8 : 0),
                        0,
                        entry.crc,
                        entry.compressedSize,
                        item.declaredSize ? item.declaredSize : size,
                        item.name,
                        std::string()};
}

SharedFields LocalFields(const Written &entry)
{
    const LocalQuirks &quirks = entry.item->local;
    SharedFields fields = CentralFields(entry);
    fields.versionNeeded = quirks.versionNeeded;
    fields.flags = quirks.flags;
    fields.time = quirks.time;
    fields.extra = quirks.extra;
    if (!quirks.name.empty())
        fields.name = quirks.name;
    if (quirks.method >= 0)
        fields.method = static_cast<std::uint16_t>(quirks.method);
    if (quirks.sizesAfterData)
        fields.crc = fields.compressedSize = fields.size = 0;
    fields.compressedSize += quirks.compressedSizeDelta;
    return fields;
}

void PutSharedFields(std::string &out, const SharedFields &fields)
{
    Put16(out, fields.versionNeeded);
    Put16(out, fields.flags);
    Put16(out, fields.method);
    Put16(out, fields.time);
    Put16(out, (1 << 5) | 1 | (40 << 9)); // date: 2020-01-01
    Put32(out, fields.crc);
    Put32(out, fields.compressedSize);
    Put32(out, fields.size);
    Put16(out, static_cast<std::uint32_t>(fields.name.size()));
    Put16(out, static_cast<std::uint32_t>(fields.extra.size()));
}

void PutLocalEntry(std::string &out, const Written &entry, const std::string &body)
{
    const SharedFields fields = LocalFields(entry);
    Put32(out, 0x04034b50);
    PutSharedFields(out, fields);
    out += fields.name + fields.extra + body;
    if (!entry.item->local.sizesAfterData)
        return;
    const SharedFields central = CentralFields(entry);
    Put32(out, 0x08074b50);
    Put32(out, central.crc);
    Put32(out, central.compressedSize);
    Put32(out, central.size);
}

void PutCentralEntry(std::string &out, const Written &entry)
{
    const SharedFields fields = CentralFields(entry);
    Put32(out, 0x02014b50);
    Put16(out, 20); // version made by
    PutSharedFields(out, fields);
    Put16(out, 0); // comment length
    Put16(out, 0); // disk
    Put16(out, 0); // internal attributes
    Put32(out, 0); // external attributes
    Put32(out, entry.offset);
    out += fields.name;
}

} // namespace

std::string RawDeflate(const std::string &data, int level, int memLevel)
{
    z_stream stream{};
    deflateInit2(&stream, level, Z_DEFLATED, -15, memLevel, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string BuildZip(const std::vector<ZipItem> &items)
{
    std::string out;
    std::vector<Written> written;
    for (const ZipItem &item : items) {
        const std::string body = item.deflate ? RawDeflate(item.data) : item.data;
        const auto crc =
            static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(item.data.data()),
                                             static_cast<uInt>(item.data.size())));
        written.push_back(Written{&item, crc, static_cast<std::uint32_t>(body.size()),
                                  static_cast<std::uint32_t>(out.size())});
        PutLocalEntry(out, written.back(), body);
    }
    const auto directoryStart = static_cast<std::uint32_t>(out.size());
    for (const Written &entry : written)
        PutCentralEntry(out, entry);
    const auto directorySize = static_cast<std::uint32_t>(out.size()) - directoryStart;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<std::uint32_t>(written.size()));
    Put16(out, static_cast<std::uint32_t>(written.size()));
    Put32(out, directorySize);
    Put32(out, directoryStart);
    Put16(out, 0); // comment length
    return out;
}

} // namespace hostile
