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
void PutCommonFields(std::string &out, const Written &entry)
{
    Put16(out, 20);                          // version needed
    Put16(out, 0);                           // flags
    Put16(out, entry.item->deflate ? 8 : 0); // method
    Put16(out, 0);                           // time
    Put16(out, (1 << 5) | 1 | (40 << 9));    // date: 2020-01-01
    Put32(out, entry.crc);
    Put32(out, entry.compressedSize);
    const auto size = static_cast<std::uint32_t>(entry.item->data.size());
    Put32(out, entry.item->declaredSize ? entry.item->declaredSize : size);
    Put16(out, static_cast<std::uint32_t>(entry.item->name.size()));
    Put16(out, 0); // extra length
}

void PutCentralEntry(std::string &out, const Written &entry)
{
    Put32(out, 0x02014b50);
    Put16(out, 20); // version made by
    PutCommonFields(out, entry);
    Put16(out, 0); // comment length
    Put16(out, 0); // disk
    Put16(out, 0); // internal attributes
    Put32(out, 0); // external attributes
    Put32(out, entry.offset);
    out += entry.item->name;
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
        Put32(out, 0x04034b50);
        PutCommonFields(out, written.back());
        out += item.name;
        out += body;
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
