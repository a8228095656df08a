#include "sheet/worksheet_part.h"

#include <algorithm>
#include <cstring>

namespace engine
{

bool WorksheetPart::Load(std::string xml, Error &error)
{
    text_ = std::move(xml);
    return Scan(error);
}

bool WorksheetPart::Scan(Error &error)
{
    // The rows are most of a sheet and most jobs read none of them, or only
    // some: whoever reads them scans them, and so checks them.
    if (!ScanDocumentSkimming(text_, "sheetData", tree_, error))
        return false;
    main_ = MainNamespace(text_, tree_.root);
    return true;
}

bool WorksheetPart::Load(std::string xml, SheetHole hole, Error &error)
{
    hole_ = std::move(hole);
    return Load(std::move(xml), error);
}

bool WorksheetPart::CheckRowsHeld(std::uint32_t lastRow, Error &error) const
{
    if (!hole_ || lastRow < hole_->firstRow)
        return true;
    error.Set(ErrorCode::LimitExceeded,
              "the sheet is too big to edit rows from " + std::to_string(hole_->firstRow) + " on");
    return false;
}

bool WorksheetPart::FillHole(std::string_view rows, Error &error)
{
    std::string xml = Serialise();
    size_t place = 0;
    if (!FindRowsEnd(xml, place, error))
        return false;
    xml.insert(place, rows);
    hole_.reset();
    replacements_.clear();
    loadedRuns_.clear(); // no byte of it is placed as loaded: compressed afresh
    rewritten_ = true;
    ++revision_;
    text_ = std::move(xml);
    return Scan(error);
}

bool WorksheetPart::ApplyEdits(Error &error)
{
    UnchangedRuns runs;
    std::string xml = Serialise(&runs);
    loadedRuns_ = std::move(runs);
    replacements_.clear();
    rewritten_ = true;
    ++revision_;
    text_ = std::move(xml);
    return Scan(error);
}

std::string_view WorksheetPart::ChildText(size_t index) const
{
    if (const auto replaced = replacements_.find(index); replaced != replacements_.end())
        return replaced->second;
    const ElementSpan &child = tree_.children[index];
    return std::string_view(text_).substr(child.begin, child.end - child.begin);
}

std::string_view WorksheetPart::MainName(size_t index) const
{
    const ElementSpan &child = tree_.children[index];
    const std::string_view name = main_.LocalNameOf(child.qualifiedName);
    return name.empty() && MainNamespace::DeclaredOn(text_, child) ? child.LocalName() : name;
}

void WorksheetPart::ReplaceChild(size_t index, std::string replacement)
{
    replacements_[index] = std::move(replacement);
    ++revision_;
}

namespace
{

// Whole chunks first: memcmp is many times faster than a byte loop.
constexpr size_t kChunk = 256;

size_t CommonPrefix(std::string_view a, std::string_view b)
{
    const size_t limit = std::min(a.size(), b.size());
    size_t same = 0;
    while (same + kChunk <= limit && std::memcmp(a.data() + same, b.data() + same, kChunk) == 0)
        same += kChunk;
    while (same < limit && a[same] == b[same])
        ++same;
    return same;
}

size_t CommonSuffix(std::string_view a, std::string_view b, size_t limit)
{
    size_t same = 0;
    while (same + kChunk <= limit && std::memcmp(a.data() + a.size() - same - kChunk,
                                                 b.data() + b.size() - same - kChunk, kChunk) == 0)
        same += kChunk;
    while (same < limit && a[a.size() - 1 - same] == b[b.size() - 1 - same])
        ++same;
    return same;
}

// Copies original bytes [from, to) to the end of out, noting them as a run.
void CopyRun(std::string &out, UnchangedRuns *runs, std::string_view original, size_t from,
             size_t to)
{
    if (runs && to > from)
        runs->push_back(UnchangedRun{out.size(), from, to - from});
    out.append(original.substr(from, to - from));
}

} // namespace

std::string WorksheetPart::Serialise(UnchangedRuns *runs) const
{
    std::string out;
    out.reserve(text_.size());
    UnchangedRuns own;
    UnchangedRuns *collect = runs ? &own : nullptr;
    size_t copied = 0;
    for (const auto &[index, replacement] : replacements_) {
        const ElementSpan &child = tree_.children[index];
        const std::string_view original =
            std::string_view(text_).substr(child.begin, child.end - child.begin);
        // An edited element often keeps most of its bytes at both ends.
        const size_t prefix = CommonPrefix(original, replacement);
        const size_t suffix = CommonSuffix(original, replacement,
                                           std::min(original.size(), replacement.size()) - prefix);
        CopyRun(out, collect, text_, copied, child.begin + prefix);
        out.append(replacement, prefix, replacement.size() - prefix - suffix);
        copied = child.end - suffix;
    }
    CopyRun(out, collect, text_, copied, text_.size());
    if (runs)
        *runs = rewritten_ ? Traced(own, loadedRuns_) : std::move(own);
    return out;
}

} // namespace engine
