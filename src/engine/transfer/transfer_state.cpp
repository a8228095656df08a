#include "engine/transfer_state.h"

#include "parts/recalculation.h"
#include "parts/relationships.h"
#include "parts/shared_strings.h"
#include "parts/styles_memo.h"
#include "transfer/clipboard_snapshot.h"
#include "transfer/paste.h"

#include <algorithm>

namespace engine
{

std::shared_ptr<StyleTableMemo> NewStyleTableMemo()
{
    return std::make_shared<StyleTableMemo>();
}

TransferState::TransferState(Workbook &book, StyleTableMemo *memo) : book_(book), memo_(memo) {}

TransferState::~TransferState() = default;

SnapshotPointer TransferState::Copy(size_t sheetIndex, const CellArea &area, Error &error)
{
    auto snapshot = std::make_shared<ClipboardSnapshot>();
    return Copy(sheetIndex, area, *snapshot, error) ? snapshot : nullptr;
}

std::string TransferState::RelatedPart(const std::string &typeTail, Error &error) const
{
    const std::string workbook = book_.WorkbookPartName();
    std::string text;
    Relationships relationships;
    if (!book_.ReadCurrentPart(RelationshipsPartOf(workbook), text, error) ||
        !relationships.Parse(text, error))
        return {};
    const Relationship *related = relationships.FindByTypeTail(typeTail);
    return related && !related->external ? ResolveTarget(workbook, related->target) : std::string();
}

bool TransferState::LoadStyles(Error &error)
{
    if (styles_)
        return true;
    stylesPart_ = RelatedPart("/styles", error);
    std::string text;
    if (error || stylesPart_.empty() || !book_.ReadCurrentPart(stylesPart_, text, error)) {
        if (!error)
            error.Set(ErrorCode::Unsupported, "the workbook has no style table");
        return false;
    }
    auto styles = std::make_unique<MemoisedStyles>(memo_);
    if (!styles->Load(text, error))
        return false;
    styles_ = std::move(styles);
    return true;
}

bool TransferState::LoadStrings(Error &error)
{
    if (stringsRead_)
        return true;
    const std::string part = RelatedPart("/sharedStrings", error);
    std::string text;
    if (error)
        return false;
    if (!part.empty()) {
        strings_ = std::make_unique<SharedStrings>();
        if (!book_.ReadCurrentPart(part, text, error) || !strings_->Load(text, error))
            return false;
    }
    stringsRead_ = true;
    return true;
}

namespace
{

std::uint32_t LastRowReached(const ClipboardSnapshot &snapshot, PastePlace place)
{
    const std::uint64_t last =
        std::uint64_t(place.row) + snapshot.area.lastRow - snapshot.area.firstRow;
    return std::uint32_t(std::min<std::uint64_t>(last, kMaxRow));
}

} // namespace

bool TransferState::Copy(size_t sheetIndex, const CellArea &area, ClipboardSnapshot &snapshot,
                         Error &error)
{
    Worksheet *sheet = book_.CellSheet(sheetIndex, error);
    if (!sheet || !book_.HoldRows(sheetIndex, area.lastRow, error) || !LoadStyles(error) ||
        !LoadStrings(error))
        return false;
    const StylesPart *styles = styles_->Live(error);
    return styles && TakeSnapshot(TemplateSheet{sheet->Part(), *styles, strings_.get()}, area,
                                  snapshot, error);
}

bool TransferState::Paste(size_t sheetIndex, const ClipboardSnapshot &snapshot, PastePlace place,
                          PasteKind kind, Error &error)
{
    Worksheet *sheet = book_.CellSheet(sheetIndex, error);
    if (!sheet || (kind != PasteKind::ColumnWidths &&
                   !book_.HoldRows(sheetIndex, LastRowReached(snapshot, place), error)))
        return false;
    switch (kind) {
    case PasteKind::ColumnWidths:
        return PasteColumnWidths(snapshot, place, sheet->Part(), error);
    case PasteKind::Formats:
        return LoadStyles(error) && PasteFormatsOf(snapshot, place, sheet->Part(), error);
    case PasteKind::Formulas:
    case PasteKind::Values:
        recalculate_ = true;
        return PasteContents(snapshot, place,
                             kind == PasteKind::Values ? ContentKind::Values
                                                       : ContentKind::Formulas,
                             sheet->Part(), error);
    }
    return false;
}

bool TransferState::PasteFormatsOf(const ClipboardSnapshot &snapshot, PastePlace place,
                                   WorksheetPart &sheet, Error &error)
{
    if (snapshot.id == 0) {
        InternedStyles interned;
        return PasteFormats(snapshot, place, sheet, *styles_, interned, error);
    }
    return PasteFormats(snapshot, place, sheet, *styles_, interned_[snapshot.id], error);
}

bool TransferState::RequestRecalculation(Error &error)
{
    const std::string workbook = book_.WorkbookPartName();
    const std::string relsPart = RelationshipsPartOf(workbook);
    std::string text;
    std::string edited;
    std::string chainTarget;
    if (!book_.ReadCurrentPart(workbook, text, error) || !WithFullCalcOnLoad(text, edited, error))
        return false;
    if (edited != text)
        book_.ReplacePart(workbook, edited);
    if (!book_.ReadCurrentPart(relsPart, text, error) ||
        !WithoutRelationshipType(text, "/calcChain", edited, chainTarget, error))
        return false;
    if (chainTarget.empty())
        return true;
    const std::string chainPart = ResolveTarget(workbook, chainTarget);
    book_.ReplacePart(relsPart, edited);
    if (book_.HasPart(chainPart))
        book_.DropPart(chainPart);
    if (!book_.ReadCurrentPart("[Content_Types].xml", text, error) ||
        !WithoutOverride(text, chainPart, edited, error))
        return false;
    book_.ReplacePart("[Content_Types].xml", edited);
    return true;
}

bool TransferState::CommitStyles(Error &error)
{
    // A table that is not sound may have answered with wrong indices, which
    // the sheets now hold: the workbook must not be saved.
    if (!styles_->Changed())
        return styles_->Sound(error);
    std::string styles = styles_->Serialise();
    if (!styles_->Sound(error))
        return false;
    if (styles != committedStyles_)
        book_.ReplacePart(stylesPart_, styles);
    committedStyles_ = std::move(styles);
    return true;
}

bool TransferState::Commit(Error &error)
{
    if (styles_ && !CommitStyles(error))
        return false;
    if (recalculate_ && !RequestRecalculation(error))
        return false;
    recalculate_ = false;
    return true;
}

} // namespace engine
