#pragma once
// Copy and paste on one workbook: the style table and shared strings read on
// first use, and what a paste leaves to do before the workbook is saved (the
// changed style table, dropping the calculation chain).

#include "engine/cell_area.h"
#include "engine/error.h"
#include "engine/workbook.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

namespace engine
{

struct ClipboardSnapshot;
class MemoisedStyles;
class SharedStrings;
class StyleTableMemo;

enum class PasteKind { ColumnWidths, Formats, Formulas, Values };

// Where a snapshot's top-left cell lands.
struct PastePlace {
    std::uint32_t row = 1;
    std::uint32_t column = 1;
};

using SnapshotPointer = std::shared_ptr<const ClipboardSnapshot>;

// A style memo for the transfers of one run, which may share it across threads.
std::shared_ptr<StyleTableMemo> NewStyleTableMemo();

class TransferState
{
  public:
    // `memo`, when given, answers the style table's calls where it can and
    // outlives this state.
    explicit TransferState(Workbook &book, StyleTableMemo *memo = nullptr);
    ~TransferState();
    TransferState(const TransferState &) = delete;
    TransferState &operator=(const TransferState &) = delete;

    // Null, with the reason, when the area cannot be copied.
    SnapshotPointer Copy(size_t sheetIndex, const CellArea &area, Error &error);
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
    // By snapshot id: its cellXfs indices -> those they were interned as here.
    std::map<std::uint64_t, std::unordered_map<std::uint32_t, std::uint32_t>> interned_;
    std::unique_ptr<SharedStrings> strings_;
    bool stringsRead_ = false;
    bool recalculate_ = false;
};

} // namespace engine
