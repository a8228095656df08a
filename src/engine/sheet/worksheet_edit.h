#pragma once
// Edits of a worksheet's top-level elements that may add elements the sheet
// does not have yet. A new element goes where CT_Worksheet wants it, or the
// spreadsheet application calls the file damaged.

#include "engine/cell_area.h"
#include "engine/error.h"
#include "sheet/worksheet_part.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine
{

class WorksheetEdit
{
  public:
    // Edits the part in place; elements to insert wait for Commit.
    explicit WorksheetEdit(WorksheetPart &part);

    WorksheetPart &Part() { return part_; }
    const WorksheetPart &Part() const { return part_; }
    // The namespace prefix of the worksheet's elements with its colon, or "".
    const std::string &Prefix() const { return prefix_; }

    // Indexes of the current children with this local name.
    std::vector<size_t> Find(std::string_view localName) const;
    std::optional<size_t> FindFirst(std::string_view localName) const;
    std::string_view Text(size_t index) const { return part_.ChildText(index); }
    void Replace(size_t index, std::string text) { part_.ReplaceChild(index, std::move(text)); }
    // Replaces the element, or inserts it when the sheet has none; an empty
    // text removes it.
    void Put(std::string_view localName, std::string text);
    // Adds an element after the existing ones that precede it in schema order.
    void Insert(std::string_view localName, std::string text);

    // Widens the dimension element to cover `area`.
    void CoverInDimension(const CellArea &area);

    // Puts the inserted elements in place (the part is then read anew).
    bool Commit(Error &error);

  private:
    struct Insertion {
        int rank;
        std::string text;
    };

    WorksheetPart &part_;
    std::string prefix_;
    std::vector<Insertion> insertions_;
};

} // namespace engine
