// Fuzz target: a format-transfer pass onto a workbook made of arbitrary
// bytes. The template is a fixed good workbook; its snapshots (a cell area
// and whole rows) are pasted onto every worksheet with each paste type, then
// the workbook is saved and must open again.

#include "engine/transfer_state.h"
#include "transfer/clipboard_snapshot.h"
#include "fuzz_checks.h"
#include "sample_books.h"
#include "scratch_file.h"

#include <cstdio>
#include <cstdlib>

namespace
{

struct TemplateSnapshots {
    engine::ClipboardSnapshot area;
    engine::ClipboardSnapshot rows;
};

[[noreturn]] void SetUpFailed(const std::string &what)
{
    std::fprintf(stderr, "cannot set up the template: %s\n", what.c_str());
    std::abort();
}

TemplateSnapshots TakeTemplateSnapshots()
{
    const std::string path = ScratchFolder() + "/template.xlsx";
    engine::Error error;
    if (!WriteTemplateBook(path))
        SetUpFailed("libxlsxwriter");
    auto book = engine::Workbook::Open(path, error);
    if (!book)
        SetUpFailed(error.message);
    TemplateSnapshots snapshots;
    engine::TransferState state(*book);
    if (!state.Copy(0, *engine::ParseA1Area("A1:F12"), snapshots.area, error) ||
        !state.Copy(0, *engine::ParseA1Area("1:4"), snapshots.rows, error))
        SetUpFailed(error.message);
    return snapshots;
}

const TemplateSnapshots &Snapshots()
{
    static const TemplateSnapshots snapshots = TakeTemplateSnapshots();
    return snapshots;
}

void PasteEverything(engine::TransferState &state, size_t sheet)
{
    const engine::PastePlace corner{1, 1};
    const engine::PastePlace inside{3, 2};
    engine::Error error;
    for (const auto kind : {engine::PasteKind::ColumnWidths, engine::PasteKind::Formats,
                            engine::PasteKind::Formulas, engine::PasteKind::Values}) {
        state.Paste(sheet, Snapshots().area, inside, kind, error);
        error = {};
    }
    state.Paste(sheet, Snapshots().rows, corner, engine::PasteKind::Formats, error);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Snapshots();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string path;
    auto book = OpenInput(data, size, path);
    if (!book)
        return 0;
    engine::Error error;
    const size_t sheetCount = book->Sheets().size();
    engine::TransferState state(*book);
    for (size_t i = 0; i < sheetCount; ++i)
        if (book->Sheets()[i].kind == engine::SheetKind::Worksheet)
            PasteEverything(state, i);
    // As the runs do: a workbook whose style table cannot be handed over is not saved.
    if (!state.Commit(error)) {
        RequireReason("commit", error);
        return 0;
    }
    if (!SaveOrExplain(*book, error))
        return 0;
    book.reset();
    ReopenSaved(path, sheetCount);
    return 0;
}
