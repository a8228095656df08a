#include "compound_builder.h"

#include <algorithm>
#include <cctype>

namespace testcfb
{
namespace
{

constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatMark = 0xFFFFFFFD,
                        kDifatMark = 0xFFFFFFFC, kNone = 0xFFFFFFFF;

size_t Ceil(size_t bytes, size_t unit)
{
    return (bytes + unit - 1) / unit;
}

// CFB order: shorter names first, then by upper case.
bool NameBefore(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return a.size() < b.size();
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return std::toupper(static_cast<unsigned char>(a[i])) <
                   std::toupper(static_cast<unsigned char>(b[i]));
    return false;
}

struct Builder {
    size_t sectorSize;
    size_t ids;
    std::vector<std::uint32_t> fat;
    std::string body; // the sectors after the header sector

    // Appends `content` as a chain of its own; returns its first sector.
    std::uint32_t Add(const std::string &content)
    {
        const std::uint32_t first = std::uint32_t(body.size() / sectorSize);
        const size_t count = std::max<size_t>(1, Ceil(content.size(), sectorSize));
        body += content;
        body.resize((first + count) * sectorSize, '\0');
        for (size_t i = 0; i < count; ++i)
            fat.push_back(i + 1 < count ? first + i + 1 : kEnd);
        return first;
    }
};

std::string Entry(const std::string &name, std::uint8_t type, int index)
{
    std::string entry(128, '\0');
    for (size_t i = 0; i < name.size(); ++i)
        entry[2 * i] = name[i];
    entry[64] = char((name.size() + 1) * 2);
    entry[66] = char(type);
    entry[67] = 1; // black
    PutU32(entry, 68, kNone);
    PutU32(entry, 72, kNone);
    PutU32(entry, 76, kNone);
    for (int i = 0; i < 16; ++i)
        entry[80 + i] = char(0x10 * index + i + 1); // CLSID
    PutU32(entry, 96, 0x100u * index + 7);          // state bits
    for (int i = 0; i < 16; ++i)
        entry[100 + i] = char(0xA0 + index + i); // creation and modification times
    return entry;
}

// A balanced sibling tree over the sorted entries first..last; returns its top.
std::uint32_t Tree(std::string &directory, const std::vector<int> &sorted, int first, int last)
{
    if (first > last)
        return kNone;
    const int middle = (first + last) / 2;
    const size_t at = 128 * size_t(sorted[middle]);
    PutU32(directory, at + 68, Tree(directory, sorted, first, middle - 1));
    PutU32(directory, at + 72, Tree(directory, sorted, middle + 1, last));
    return std::uint32_t(sorted[middle]);
}

std::string Directory(const CompoundShape &shape, std::vector<std::uint32_t> &starts,
                      std::uint32_t miniStart, size_t miniSize)
{
    std::string directory = Entry("Root Entry", 5, 0);
    PutU32(directory, 116, miniStart);
    PutU32(directory, 120, std::uint32_t(miniSize));
    std::vector<int> sorted;
    for (size_t i = 0; i < shape.streams.size(); ++i) {
        std::string entry = Entry(shape.streams[i].name, 2, int(i) + 1);
        PutU32(entry, 116, starts[i]);
        PutU32(entry, 120, std::uint32_t(shape.streams[i].content.size()));
        directory += entry;
        sorted.push_back(int(i) + 1);
    }
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
        return NameBefore(shape.streams[a - 1].name, shape.streams[b - 1].name);
    });
    PutU32(directory, 76, Tree(directory, sorted, 0, int(sorted.size()) - 1));
    for (int i = 0; i < shape.unusedEntries; ++i) {
        std::string unused(128, '\0');
        PutU32(unused, 68, kNone);
        PutU32(unused, 72, kNone);
        PutU32(unused, 76, kNone);
        directory += unused;
    }
    return directory;
}

} // namespace

std::string Filler(size_t size, int seed)
{
    std::string bytes(size, '\0');
    std::uint32_t state = 2654435761u * std::uint32_t(seed + 1);
    for (char &c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = char(state >> 24);
    }
    return bytes;
}

std::uint32_t GetU32(const std::string &bytes, size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void PutU32(std::string &bytes, size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i));
}

std::string BuildCompoundFile(const CompoundShape &shape)
{
    Builder b{shape.version == 4 ? 4096u : 512u, 0, {}, {}};
    b.ids = b.sectorSize / 4;
    std::vector<std::uint32_t> starts;
    std::string mini;
    std::vector<std::uint32_t> miniFat;
    for (const Stream &stream : shape.streams) {
        if (stream.content.size() >= 4096) {
            starts.push_back(b.Add(stream.content));
            continue;
        }
        const size_t first = mini.size() / 64, count = Ceil(stream.content.size(), 64);
        starts.push_back(count ? std::uint32_t(first) : kEnd);
        for (size_t i = 0; i < count; ++i)
            miniFat.push_back(i + 1 < count ? std::uint32_t(first + i + 1) : kEnd);
        mini += stream.content;
        mini.resize((first + count) * 64, '\0');
    }
    for (int i = 0; i < shape.freeSectors; ++i) {
        b.body.resize(b.body.size() + b.sectorSize, '\0');
        b.fat.push_back(kFree);
    }
    const std::uint32_t miniStart = mini.empty() ? kEnd : b.Add(mini);
    std::string miniFatBytes;
    for (const std::uint32_t id : miniFat)
        miniFatBytes.append(4, '\0'), PutU32(miniFatBytes, miniFatBytes.size() - 4, id);
    miniFatBytes.resize(Ceil(miniFatBytes.size(), b.sectorSize) * b.sectorSize, '\xFF');
    const std::uint32_t miniFatStart = miniFat.empty() ? kEnd : b.Add(miniFatBytes);
    const std::uint32_t directory = b.Add(Directory(shape, starts, miniStart, mini.size()));

    size_t fatCount = 0, difatCount = 0;
    for (;;) {
        const size_t total = b.fat.size() + fatCount + difatCount;
        const size_t needFat = Ceil(total, b.ids);
        const size_t needDifat = needFat > 109 ? Ceil(needFat - 109, b.ids - 1) : 0;
        if (needFat == fatCount && needDifat == difatCount)
            break;
        fatCount = needFat;
        difatCount = needDifat;
    }
    const std::uint32_t firstFat = std::uint32_t(b.fat.size());
    const std::uint32_t firstDifat = std::uint32_t(firstFat + fatCount);
    for (size_t i = 0; i < fatCount; ++i)
        b.fat.push_back(kFatMark);
    for (size_t i = 0; i < difatCount; ++i)
        b.fat.push_back(kDifatMark);
    b.fat.resize(fatCount * b.ids, kFree);
    for (const std::uint32_t id : b.fat)
        b.body.append(4, '\0'), PutU32(b.body, b.body.size() - 4, id);
    for (size_t d = 0; d < difatCount; ++d) {
        std::string sector(b.sectorSize, '\xFF');
        for (size_t i = 0; i + 1 < b.ids; ++i) {
            const size_t fatIndex = 109 + d * (b.ids - 1) + i;
            if (fatIndex < fatCount)
                PutU32(sector, 4 * i, std::uint32_t(firstFat + fatIndex));
        }
        PutU32(sector, b.sectorSize - 4,
               d + 1 < difatCount ? std::uint32_t(firstDifat + d + 1) : kEnd);
        b.body += sector;
    }

    std::string header(b.sectorSize, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    header[24] = 0x3E;
    header[26] = char(shape.version);
    header[28] = char(0xFE);
    header[29] = char(0xFF);
    header[30] = shape.version == 4 ? 12 : 9;
    header[32] = 6;
    if (shape.version == 4)
        PutU32(header, 40, std::uint32_t(Ceil(shape.streams.size() + 1 + shape.unusedEntries, 32)));
    PutU32(header, 44, std::uint32_t(fatCount));
    PutU32(header, 48, directory);
    PutU32(header, 56, 4096);
    PutU32(header, 60, miniFatStart);
    PutU32(header, 64, std::uint32_t(miniFat.empty() ? 0 : Ceil(miniFat.size() * 4, b.sectorSize)));
    PutU32(header, 68, difatCount ? firstDifat : kEnd);
    PutU32(header, 72, std::uint32_t(difatCount));
    for (size_t i = 0; i < 109; ++i)
        PutU32(header, 76 + 4 * i, i < fatCount ? std::uint32_t(firstFat + i) : kFree);
    return header + b.body + shape.trailing;
}

BuiltLayout LayoutOf(const std::string &file)
{
    BuiltLayout layout;
    layout.sectorSize = file[30] == 12 ? 4096 : 512;
    layout.directory = GetU32(file, 48);
    layout.firstFat = GetU32(file, 76);
    return layout;
}

} // namespace testcfb
