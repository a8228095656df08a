#pragma once
// Copy and paste on one workbook: the style table and shared strings read on
// first use, and what a paste leaves to do before the workbook is saved (the
// changed style table, dropping the calculation chain).

#include "clipboard_snapshot.h"
#include "engine_error.h"
#include "paste.h"
#include "shared_strings.h"
#include "styles_memo.h"
#include "workbook.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace engine
{

enum class PasteKind { ColumnWidths, Formats, Formulas, Values };

// The automation paste types: 8, -4122, -4123, -4163.
std::optional<PasteKind> PasteKindOf(int pasteType);

class TransferState
{
  public:
    // `memo`, when given, answers the style table's calls where it can and
    // outlives this state.
    explicit TransferState(Workbook &book, StyleTableMemo *memo = nullptr)
        : book_(book), memo_(memo)
    {
    }

    bool Copy(size_t sheetIndex, const CellArea &area, ClipboardSnapshot &snapshot, Error &error);
    bool Paste(size_t sheetIndex, const ClipboardSnapshot &snapshot, PastePlace place,
               PasteKind kind, Error &error);
    // Hands the changed style table and the recalculation request to the
    // workbook; call before saving it.
    bool Commit(Error &error);

  private:
    bool LoadStyles(Error &error);
    bool LoadStrings(Error &error);
    std::string RelatedPart(const std::string &typeTail, Error &error) const;
    bool CommitStyles(Error &error);
    bool PasteFormatsOf(const ClipboardSnapshot &snapshot, PastePlace place, WorksheetPart &sheet,
                        Error &error);
    bool RequestRecalculation(Error &error);

    Workbook &book_;
    StyleTableMemo *memo_;
    std::unique_ptr<MemoisedStyles> styles_;
    std::string stylesPart_;
    std::string committedStyles_;
    std::map<std::uint64_t, InternedStyles> interned_; // by snapshot id
    std::unique_ptr<SharedStrings> strings_;
    bool stringsRead_ = false;
    bool recalculate_ = false;
};

} // namespace engine
