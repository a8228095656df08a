#pragma once
// A worksheet part as its top-level elements (sheetPr, dimension, cols,
// sheetData, mergeCells, ...) kept as byte spans of the original text. An
// edit replaces or removes one element; every other byte is written back
// exactly as read.

#include "engine/error.h"
#include "package/unchanged_runs.h"
#include "sheet/sheet_hole.h"
#include "xml/main_namespace.h"
#include "xml/xml_scan.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine
{

class WorksheetPart
{
  public:
    // Spans point into the part's own text, so a part never moves.
    WorksheetPart() = default;
    WorksheetPart(const WorksheetPart &) = delete;
    WorksheetPart &operator=(const WorksheetPart &) = delete;

    bool Load(std::string xml, Error &error);
    // A part held without the rows of `hole`: `xml` is its text with them
    // cut out.
    bool Load(std::string xml, SheetHole hole, Error &error);
    // The rows left in the stored stream, if any; they stay where they are,
    // at the end of sheetData, through every edit.
    const SheetHole *Hole() const { return hole_ ? &*hole_ : nullptr; }
    // Whether rows 1 to `lastRow` are all held, so that an edit may read and
    // write them; the error says why not.
    bool CheckRowsHeld(std::uint32_t lastRow, Error &error) const;
    // Takes the hole's rows back in (`rows`: the stored text's bytes from
    // hole begin to end), for an edit that needs them; the part then holds
    // every row and counts as changed.
    bool FillHole(std::string_view rows, Error &error);

    const std::string &OriginalText() const { return text_; }
    const std::vector<ElementSpan> &Children() const { return tree_.children; }
    // The namespace the worksheet's own elements are in.
    const MainNamespace &Main() const { return main_; }
    // The child's local name when it is in that namespace, "" otherwise.
    std::string_view MainName(size_t index) const;
    // The element as it is now: its replacement if edited, empty if removed.
    std::string_view ChildText(size_t index) const;
    // An empty replacement removes the element.
    void ReplaceChild(size_t index, std::string replacement);

    // Applies the replacements and reads the result anew, for an edit that
    // adds elements; the part then counts as changed.
    bool ApplyEdits(Error &error);

    bool Changed() const { return rewritten_ || !replacements_.empty(); }
    // Counts edits, so a caller can tell whether anything changed since.
    unsigned Revision() const { return revision_; }
    // The part as it is now; `runs`, when given, receives where it still
    // holds the bytes it was loaded with.
    std::string Serialise(UnchangedRuns *runs = nullptr) const;

  private:
    bool Scan(Error &error);

    std::string text_;
    std::optional<SheetHole> hole_;
    ElementTree tree_;
    MainNamespace main_;
    std::map<size_t, std::string> replacements_;
    // After ApplyEdits: where text_ holds bytes of the text first loaded.
    UnchangedRuns loadedRuns_;
    unsigned revision_ = 0;
    bool rewritten_ = false;
};

} // namespace engine
