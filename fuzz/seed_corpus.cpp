// Writes the fuzzers' starting inputs into the folder given as argument:
// ordinary workbooks from libxlsxwriter, the hostile packages the
// reliability tests use and compound files of both versions (after the
// control byte the compound-file target reads first). The corpus is made
// fresh for every run, not kept.

#include "biff/stream_edit.h"
#include "compound_builder.h"
#include "hostile_packages.h"
#include "sample_books.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace
{

bool WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bool(out.flush());
}

// A small .xls Workbook stream: globals naming one worksheet, which has
// column widths and a merged area.
std::string SampleXlsStream()
{
    using engine::MakeRecord;
    const std::string bof = std::string("\x00\x06", 2) + std::string(14, '\0');
    const auto bofOf = [&](char type) {
        return MakeRecord(0x0809, bof.substr(0, 2) + type + bof.substr(3));
    };
    std::string sheet =
        bofOf('\x10') + MakeRecord(0x0055, std::string("\x08\x00", 2)) +
        MakeRecord(0x007D, std::string("\x01\x00\x02\x00\x00\x10\x0f\x00\x02\x00\x00\x00", 12)) +
        MakeRecord(0x0200,
                   std::string("\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x03\x00\x00\x00", 14)) +
        MakeRecord(0x00E5, std::string("\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00", 10)) +
        MakeRecord(0x000A, "");
    const std::string name = std::string("\x05\x00", 2) + "Sheet";
    const std::string globalsEnd = MakeRecord(0x000A, "");
    std::string boundSheet = MakeRecord(0x0085, std::string(4, '\0') + std::string(2, '\0') + name);
    const std::string globalsStart = bofOf('\x05');
    const size_t position = globalsStart.size() + boundSheet.size() + globalsEnd.size();
    for (int i = 0; i < 4; ++i)
        boundSheet[4 + i] = char((position >> (8 * i)) & 0xFF);
    return globalsStart + boundSheet + globalsEnd + sheet;
}

bool WriteSamples(const std::string &folder)
{
    bool ok = WriteTemplateBook(folder + "/template.xlsx");
    for (int variant = 0; variant < 4; ++variant)
        ok = ok && WriteMergedBook(folder + "/merged-" + std::to_string(variant) + ".xlsx",
                                   1 + variant % 3, variant);
    return ok && WriteTallBook(folder + "/tall.xlsx", 3000) &&
           WriteBytes(folder + "/workbook.stream", SampleXlsStream());
}

bool WriteHostile(const std::string &folder)
{
    bool ok = true;
    for (const hostile::HostilePackage &package : hostile::HostilePackages())
        ok = ok && WriteBytes(folder + "/" + package.name, package.bytes);
    return ok;
}

bool WriteCompoundFiles(const std::string &folder)
{
    testcfb::CompoundShape shape;
    shape.streams = {{"Workbook", testcfb::Filler(3000, 1)},
                    {"\x05SummaryInformation", testcfb::Filler(200, 2)},
                    {"Pictures", testcfb::Filler(5000, 3)},
                    {"Small", ""}};
    shape.unusedEntries = 1;
    bool ok = true;
    for (const int version : {3, 4}) {
        shape.version = version;
        const std::string name = folder + "/compound-v" + std::to_string(version);
        ok = ok && WriteBytes(name + "-mini.cfb",
                              std::string(1, char(5 * 4)) + testcfb::BuildCompoundFile(shape));
        shape.streams[0].content = testcfb::Filler(9000, 4);
        shape.trailing = "trailing";
        ok = ok && WriteBytes(name + "-big.cfb",
                              std::string(1, char(2 * 4 + 1)) + testcfb::BuildCompoundFile(shape));
    }
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    if (!WriteSamples(folder) || !WriteHostile(folder) || !WriteCompoundFiles(folder)) {
        std::fprintf(stderr, "cannot write the seed corpus into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
