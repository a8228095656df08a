// Fuzz target: open a package from arbitrary bytes, unmerge every sheet,
// save it in place and open the result again. A refusal must give a reason;
// a package the engine saved must open again, with no merged area left on
// any sheet it unmerged. Inputs of odd size are opened holding every sheet
// part of more than a few KiB around a hole, so both ways of reading and
// writing a sheet are fuzzed.

#include "engine/workbook.h"
#include "fuzz_checks.h"

namespace
{

constexpr engine::PartHolding kTinyHolding{4096, 1024};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const engine::PartHolding holding = size % 2 ? kTinyHolding : engine::PartHolding{};
    std::string path;
    auto book = OpenInput(data, size, path, holding);
    if (!book)
        return 0;
    engine::Error error;
    std::vector<bool> unmerged(book->Sheets().size(), false);
    for (size_t i = 0; i < book->Sheets().size(); ++i) {
        engine::Worksheet *sheet = book->CellSheet(i, error);
        unmerged[i] = sheet && sheet->UnMerge(std::nullopt, error);
        error = {};
    }
    if (!SaveOrExplain(*book, error))
        return 0;
    book.reset();
    auto again = ReopenSaved(path, unmerged.size(), holding);
    for (size_t i = 0; i < unmerged.size(); ++i)
        if (unmerged[i])
            RequireNoMergesLeft(*again, i);
    return 0;
}
