#pragma once
// The styles part (xl/styles.xml): resolving a cell format of one workbook into
// a self-contained value and interning such values into another workbook's
// style table without duplicates. Unknown content (colors, tableStyles,
// extLst...) is kept; new collections go where CT_Stylesheet wants them.
// Interned values and dxfs are those that resolving gives.

#include "engine/error.h"

#include <pugixml.hpp>

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine
{

// One xf record with the records it points at spelled out.
struct XfValue {
    std::string xf; // normalised xf element, its id attributes removed
    bool customNumFmt = false;
    int numFmtId = 0; // built-in id when !customNumFmt
    std::string numFmtCode;
    std::string font, fill, border; // normalised elements, "" when absent

    bool operator==(const XfValue &other) const;
};

// Everything that makes one cell format, independent of any style table.
struct StyleValue {
    XfValue cell;
    bool hasParent = false;
    XfValue parent;            // the cellStyleXfs record the cell format is based on
    std::string cellStyleName; // named cell style of that record, "" when none
    std::string cellStyle;     // its normalised cellStyle element

    bool operator==(const StyleValue &other) const;
};

// One text that differs exactly when two style values differ, in `key`.
void StyleKey(const StyleValue &style, std::string &key);

// What a paste needs of the style table it pastes into.
class StyleInterner
{
  public:
    virtual ~StyleInterner() = default;
    // The index of a cellXfs record with this value, added when missing.
    virtual int Intern(const StyleValue &style) = 0;
    // The same for a value the caller shares out: a table that keeps values
    // may keep this one itself and know it again by its address.
    virtual int InternShared(const std::shared_ptr<const StyleValue> &style)
    {
        return Intern(*style);
    }
    // The index of a dxf with this normalised text, added when missing.
    virtual int InternDxf(const std::string &dxf) = 0;
};

class StylesPart : public StyleInterner
{
  public:
    // False with a reason when the text is not a style sheet.
    bool Load(const std::string &xml, Error &error);

    int CellXfCount() const;
    StyleValue Resolve(int cellXfIndex) const;
    int Intern(const StyleValue &style) override;

    std::string ResolveDxf(int dxfIndex) const;
    int InternDxf(const std::string &dxf) override;

    bool Changed() const { return changed_; }
    std::string Serialise();

  private:
    // The collections in CT_Stylesheet order.
    enum Collection {
        kNumFmts,
        kFonts,
        kFills,
        kBorders,
        kCellStyleXfs,
        kCellXfs,
        kCellStyles,
        kDxfs,
        kTableStyles,
        kColors,
        kExtLst,
        kCollectionCount
    };
    struct Records {
        pugi::xml_node element; // null while the table has none
        // In document order, kept up to date on append: walking the child
        // list per lookup made resolving quadratic.
        std::vector<pugi::xml_node> nodes;
        // Records appended since the tree last took them, as joined text and
        // where each ends: a parse per record cost more than the rest of
        // interning, so they are parsed together when the tree is needed.
        std::string pending;
        std::vector<std::size_t> pendingEnds;
        // normalised record text -> index, filled on first use
        std::unordered_map<std::string, int> known;
        bool knownFilled = false;

        int Count() const { return int(nodes.size() + pendingEnds.size()); }
    };

    pugi::xml_node CollectionForWriting(Collection collection);
    // The collection's records in the tree, pending ones included.
    const std::vector<pugi::xml_node> &Nodes(Collection collection) const;
    pugi::xml_node Record(Collection collection, int index) const;
    void AppendRecord(Collection collection, const std::string &fragment);
    void NoteNumFmt(int id, const std::string &code);
    XfValue ResolveXf(const pugi::xml_node &xf) const;
    const std::string &NormalisedRecord(const pugi::xml_node &record) const;
    // The parts of a cell format that its cellStyleXfs record decides.
    const StyleValue &ParentStyle(int parentIndex) const;
    int InternNumFmt(const XfValue &value);
    std::unordered_map<std::string, int> &Known(Collection collection);
    int InternRecord(Collection collection, const std::string &fragment);
    int InternRecord(Collection collection, std::string &&fragment);
    int InternXf(Collection collection, const XfValue &value, int parentIndex);
    // The first cell style with this name, null when none.
    pugi::xml_node CellStyleNamed(const std::string &name);
    int InternParent(const StyleValue &style);
    int InternRemembered(const StyleValue &style);
    void RecountAll();
    bool PendingWritableAsText() const;
    void TakeAllPending();

    std::unique_ptr<pugi::xml_document> doc_ = std::make_unique<pugi::xml_document>();
    std::string prefix_;
    bool changed_ = false;
    // Reading a pending record gives it to the tree first.
    mutable std::array<Records, kCollectionCount> collections_;
    // numFmts by id and by code (first record wins, as a reader looks up)
    std::unordered_map<int, std::string> numFmtCodes_;
    std::unordered_map<std::string, int> numFmtIds_;
    int highestNumFmtId_ = 163; // custom ids start above the built-in range
    // The styles interned so far whose parent has a cell style without a
    // name, by value: interning one again would add its cell style again.
    std::unordered_map<std::string, int> interned_;
    std::string key_; // reused
    // Cell styles by name, the first of each; those from cellStylesNamed_ on
    // in the collection are still to be entered.
    std::unordered_map<std::string, pugi::xml_node> cellStylesByName_;
    std::size_t cellStylesNamed_ = 0;
    // What resolving made, for the thousands of cell formats that share a
    // few records: the normalised text of records that never change once
    // made (fonts, fills, borders), and parent parts until the next change.
    // Resolving thus writes too: a table is for one thread at a time.
    mutable std::unordered_map<const void *, std::string> normalisedRecords_;
    mutable std::unordered_map<int, StyleValue> parentStyles_;
};

} // namespace engine
