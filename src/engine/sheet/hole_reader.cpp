#include "sheet/hole_reader.h"

#include "engine/cell_area.h"
#include "package/block_inflater.h"
#include "package/deflate_codec.h"
#include "xml/xml_scan.h"

#include <charconv>
#include <vector>

namespace engine
{
namespace
{

// Held text around the hole's edges is at most a block, and a block of a
// real stream a few hundred KiB: bigger ones make the part be read whole.
constexpr size_t kLargestHeldBlock = size_t(16) << 20;
// The text before sheetData's rows is short; past this many budgets the
// part is read whole.
constexpr size_t kHeadBudgets = 4;

enum class Stage { Head, Rows, Tail, Unsuitable, Failed };

std::uint32_t RowNumber(std::string_view xml, const ElementSpan &row)
{
    const std::string_view text = AttributeText(xml, row, "r");
    std::uint32_t number = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
    return failure == std::errc() && end == text.data() + text.size() && number <= kMaxRow ? number
                                                                                           : 0;
}

// An element of a tree from a scan of text that ran out: whether its end
// was read.
bool IsWhole(const ElementSpan &element)
{
    return element.selfClosing || element.end > element.startTagEnd;
}

// The first whole element that ends at or after `offset`.
const ElementSpan *FirstWholeEndingAfter(const std::vector<ElementSpan> &elements, size_t offset)
{
    for (const ElementSpan &element : elements)
        if (IsWhole(element) && element.end >= offset)
            return &element;
    return nullptr;
}

class HoleReader
{
  public:
    explicit HoleReader(size_t heldBytes) : heldBytes_(heldBytes) {}

    Stage CurrentStage() const { return stage_; }
    const Error &ReadError() const { return error_; }

    bool OnText(std::string_view text)
    {
        total_ += text.size();
        crc_ = ContinueCrc32(crc_, text);
        switch (stage_) {
        case Stage::Head:
            head_.append(text);
            return head_.size() < heldBytes_ || ReadHead();
        case Stage::Rows:
            rows_.append(text);
            if (!leadDone_)
                hole_.lead.append(text);
            return ReadRows();
        case Stage::Tail:
            tail_.append(text);
            return true;
        default:
            return false;
        }
    }

    void OnBlock(const BlockStart &start)
    {
        if (stage_ != Stage::Rows)
            return;
        if (!leadDone_ && start.output < hole_.begin + kDeflateWindow)
            return;
        if (!leadDone_) {
            leadDone_ = true;
            hole_.fromBit = start.bit;
            hole_.lead.resize(size_t(start.output - hole_.begin));
        }
        if (start.stored && !firstStored_)
            firstStored_ = start.output;
        blocks_.push_back(start);
    }

    bool Finish(const ZipEntry &entry, std::string &shell, std::optional<SheetHole> &hole,
                Error &error)
    {
        if (total_ != entry.size || crc_ != entry.crc) {
            error.Set(ErrorCode::Damaged, "damaged zip entry " + entry.name);
            return false;
        }
        if (stage_ == Stage::Head) // the whole part turned out to be held
            shell = std::move(head_);
        if (stage_ != Stage::Tail)
            return true;
        shell = std::move(head_) + tail_;
        hole = std::move(hole_);
        return true;
    }

  private:
    bool Unsuitable()
    {
        stage_ = Stage::Unsuitable;
        return false;
    }
    bool Failed()
    {
        stage_ = Stage::Failed;
        return false;
    }

    // Over budget: the hole starts after the first whole row that ends past
    // it, once one has been read.
    bool ReadHead()
    {
        ElementTree tree;
        std::vector<ElementTree> trees;
        bool complete = false;
        if (!ScanDocumentStart(head_, tree, trees, complete, error_))
            return Failed();
        if (complete)
            return true;
        const bool inSheetData =
            trees.size() > tree.children.size() && trees.back().root.LocalName() == "sheetData";
        const ElementSpan *lastHeld =
            inSheetData ? FirstWholeEndingAfter(trees.back().children, heldBytes_) : nullptr;
        if (!lastHeld)
            return head_.size() < kHeadBudgets * heldBytes_ || Unsuitable();
        lastRow_ = RowNumber(head_, *lastHeld);
        if (lastHeld->LocalName() != "row" || lastRow_ == 0)
            return Unsuitable();
        sheetDataName_ = std::string(trees.back().root.qualifiedName);
        hole_.begin = scanned_ = rowsBase_ = lastHeld->end;
        rows_ = head_.substr(size_t(hole_.begin));
        hole_.lead = rows_;
        head_.resize(size_t(hole_.begin));
        stage_ = Stage::Rows;
        return ReadRows();
    }

    bool ReadRows()
    {
        const std::string_view text = std::string_view(rows_).substr(size_t(scanned_ - rowsBase_));
        size_t contentEnd = 0;
        bool closed = false;
        if (!ScanWholeChildren(text, sheetDataName_, readRows_, contentEnd, closed, error_))
            return Failed();
        for (const ElementTree &row : readRows_) {
            const std::uint32_t number = RowNumber(text, row.root);
            if (row.root.LocalName() != "row" || number <= lastRow_)
                return Unsuitable(); // rows numbered by position, or out of order
            hole_.firstRow = hole_.firstRow ? hole_.firstRow : number;
            lastRow_ = number;
        }
        hole_.bounds.AddRows(text, readRows_);
        const size_t read = closed ? contentEnd : readRows_.empty() ? 0 : readRows_.back().root.end;
        hole_.crc = ContinueCrc32(hole_.crc, text.substr(0, read));
        scanned_ += read;
        if (closed)
            return EndRows();
        DropReadText();
        return (rows_.size() <= kLargestHeldBlock && hole_.lead.size() <= kLargestHeldBlock) ||
               Unsuitable();
    }

    // Text is kept from the last block start before the rows not yet read:
    // the trail begins at such a start.
    void DropReadText()
    {
        size_t kept = 0;
        while (kept + 1 < blocks_.size() && blocks_[kept + 1].output <= scanned_)
            ++kept;
        if (blocks_.empty() || blocks_[kept].output > scanned_)
            return;
        rows_.erase(0, size_t(blocks_[kept].output - rowsBase_));
        rowsBase_ = blocks_[kept].output;
        blocks_.erase(blocks_.begin(), blocks_.begin() + std::ptrdiff_t(kept));
    }

    bool EndRows()
    {
        hole_.end = scanned_;
        hole_.lastRow = lastRow_;
        const BlockStart *last = nullptr;
        for (const BlockStart &start : blocks_)
            if (start.output <= hole_.end)
                last = &start;
        // Nothing to take over between lead and trail, or a stored block
        // that could not move: read whole.
        if (!last || last->bit <= hole_.fromBit || (firstStored_ && *firstStored_ < last->output))
            return Unsuitable();
        hole_.toBit = last->bit;
        hole_.trail =
            rows_.substr(size_t(last->output - rowsBase_), size_t(hole_.end - last->output));
        tail_ = rows_.substr(size_t(hole_.end - rowsBase_));
        rows_.clear();
        rows_.shrink_to_fit();
        blocks_.clear();
        stage_ = Stage::Tail;
        return true;
    }

    size_t heldBytes_;
    Stage stage_ = Stage::Head;
    Error error_;
    std::uint64_t total_ = 0; // text bytes inflated
    std::uint32_t crc_ = 0;   // of all of them
    std::string head_;        // the text before the hole
    std::string rows_;        // the hole's text from rowsBase_ on
    std::uint64_t rowsBase_ = 0;
    std::uint64_t scanned_ = 0; // rows before this are read
    std::string sheetDataName_;
    std::uint32_t lastRow_ = 0;
    SheetHole hole_;
    bool leadDone_ = false;
    std::vector<ElementTree> readRows_; // kept for its storage
    std::vector<BlockStart> blocks_;    // starts from the lead's end on, as still needed
    std::optional<std::uint64_t> firstStored_;
    std::string tail_; // sheetData's end tag and everything after it
};

} // namespace

bool ReadAroundHole(const ZipReader &zip, int index, size_t heldBytes, std::string &shell,
                    std::optional<SheetHole> &hole, Error &error)
{
    shell.clear();
    hole.reset();
    const ZipEntry &entry = zip.Entries()[static_cast<size_t>(index)];
    HoleReader reader(heldBytes);
    BlockInflater inflater([&reader](std::string_view text) { return reader.OnText(text); },
                           [&reader](const BlockStart &start) { reader.OnBlock(start); });
    bool inflated = true;
    const ByteSink feed = [&](const char *data, size_t size) {
        inflated = inflater.Feed(std::string_view(data, size));
        return inflated;
    };
    Error readError;
    const bool copied = zip.CopyCompressed(index, feed, readError);
    if (reader.CurrentStage() == Stage::Unsuitable)
        return true;
    if (reader.CurrentStage() == Stage::Failed) {
        error = reader.ReadError();
        return false;
    }
    if (readError) {
        error = readError;
        return false;
    }
    if (!copied || !inflated || !inflater.Ended()) {
        error.Set(ErrorCode::Damaged, "damaged zip entry " + entry.name);
        return false;
    }
    return reader.Finish(entry, shell, hole, error);
}

} // namespace engine
