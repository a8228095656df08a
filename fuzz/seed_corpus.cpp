// Writes the fuzzers' starting inputs into the folder given as argument:
// ordinary workbooks from libxlsxwriter, the hostile packages the
// reliability tests use and compound files of both versions (after the
// control byte the compound-file target reads first). The corpus is made
// fresh for every run, not kept.

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

bool WriteSamples(const std::string &folder)
{
    bool ok = WriteTemplateBook(folder + "/template.xlsx");
    for (int variant = 0; variant < 4; ++variant)
        ok = ok && WriteMergedBook(folder + "/merged-" + std::to_string(variant) + ".xlsx",
                                   1 + variant % 3, variant);
    return ok && WriteTallBook(folder + "/tall.xlsx", 3000);
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
    testcfb::CompoundSpec spec;
    spec.streams = {{"Workbook", testcfb::Filler(3000, 1)},
                    {"\x05SummaryInformation", testcfb::Filler(200, 2)},
                    {"Pictures", testcfb::Filler(5000, 3)},
                    {"Small", ""}};
    spec.unusedEntries = 1;
    bool ok = true;
    for (const int version : {3, 4}) {
        spec.version = version;
        const std::string name = folder + "/compound-v" + std::to_string(version);
        ok = ok && WriteBytes(name + "-mini.cfb",
                              std::string(1, char(5 * 4)) + testcfb::BuildCompoundFile(spec));
        spec.streams[0].content = testcfb::Filler(9000, 4);
        spec.trailing = "trailing";
        ok = ok && WriteBytes(name + "-big.cfb",
                              std::string(1, char(2 * 4 + 1)) + testcfb::BuildCompoundFile(spec));
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
