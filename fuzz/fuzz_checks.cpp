#include "fuzz_checks.h"

#include "scratch_file.h"

#include <cstdio>
#include <cstdlib>

namespace
{

[[noreturn]] void Broken(const char *rule, const std::string &detail)
{
    std::fprintf(stderr, "engine rule broken: %s: %s\n", rule, detail.c_str());
    std::abort();
}

} // namespace

void RequireReason(const char *step, const engine::Error &error)
{
    if (!error || error.message.empty())
        Broken(step, "failed without a reason");
}

std::unique_ptr<engine::Workbook> OpenInput(const std::uint8_t *data, std::size_t size,
                                            std::string &path, engine::PartHolding holding)
{
    path = WriteScratchFile(data, size);
    engine::Error error;
    auto book = engine::Workbook::Open(path, error, holding);
    if (!book)
        RequireReason("open", error);
    return book;
}

bool SaveOrExplain(engine::Workbook &book, engine::Error &error)
{
    error = {};
    if (book.Save(error))
        return true;
    RequireReason("save", error);
    return false;
}

std::unique_ptr<engine::Workbook> ReopenSaved(const std::string &path, size_t sheetCount,
                                              engine::PartHolding holding)
{
    engine::Error error;
    auto book = engine::Workbook::Open(path, error, holding);
    if (!book)
        Broken("a saved workbook opens again", error.message);
    if (book->Sheets().size() != sheetCount)
        Broken("a saved workbook keeps its sheets", std::to_string(book->Sheets().size()));
    return book;
}

void RequireNoMergesLeft(engine::Workbook &book, size_t sheetIndex)
{
    engine::Error error;
    engine::Worksheet *sheet = book.CellSheet(sheetIndex, error);
    if (!sheet)
        Broken("an unmerged sheet reads again", error.message);
    if (!sheet->UnMerge(std::nullopt, error) || sheet->Changed())
        Broken("an unmerged sheet has no merged area", book.Sheets()[sheetIndex].name);
}
