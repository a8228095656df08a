// Fuzz target: open a package from arbitrary bytes, unmerge every sheet,
// save it in place and open the result again. A refusal must give a reason;
// a package the engine saved must open again, with no merged area left on
// any sheet it unmerged.

#include "fuzz_checks.h"
#include "workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string path;
    auto book = OpenInput(data, size, path);
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
    auto again = ReopenSaved(path, unmerged.size());
    for (size_t i = 0; i < unmerged.size(); ++i)
        if (unmerged[i])
            RequireNoMergesLeft(*again, i);
    return 0;
}
