// Fuzz target: read arbitrary bytes as the Workbook stream of a legacy .xls,
// unmerge every worksheet and paste column widths on it, and edit the stream.
// A refusal must give a reason; an edited stream must read again, with no
// merged area left on any sheet that was unmerged.

#include "xls/sheet_merges.h"
#include "xls/sheet_records.h"
#include "xls/xls_book.h"

#include <cstdio>
#include <cstdlib>

namespace
{

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    engine::XlsBook book;
    engine::Error error;
    if (!book.Load(std::string(reinterpret_cast<const char *>(data), size), error)) {
        if (error.message.empty())
            Fail("a stream was refused without a reason");
        return 0;
    }
    const size_t sheets = book.Stream().Sheets().size();
    std::vector<bool> unmerged(sheets, false);
    for (size_t i = 0; i < sheets; ++i) {
        engine::CellArea used;
        unmerged[i] = book.UnMerge(i, std::nullopt, error) && book.UsedArea(i, used, error) &&
                      book.SetColumnWidths(i, {{2, 4, 1000}, {200, 400, 300}}, error);
        error = {};
    }
    std::string edited;
    if (!book.EditedStream(edited, error)) {
        if (error.message.empty())
            Fail("an edit failed without a reason");
        return 0;
    }
    engine::WorkbookStream again;
    if (!again.Parse(edited, error))
        Fail("an edited stream does not read again");
    for (size_t i = 0; i < sheets; ++i) {
        engine::SheetMerges merges;
        if (unmerged[i] &&
            (!merges.Load(edited, engine::OwnRecords(again.Sheets()[i].records), error) ||
             !merges.Areas().empty()))
            Fail("a merged area is left after unmerge");
    }
    return 0;
}
