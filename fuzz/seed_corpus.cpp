// Writes the fuzzers' starting inputs into the folder given as argument:
// ordinary workbooks from libxlsxwriter and the hostile packages the
// reliability tests use. The corpus is made fresh for every run, not kept.

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

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    if (!WriteSamples(folder) || !WriteHostile(folder)) {
        std::fprintf(stderr, "cannot write the seed corpus into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
