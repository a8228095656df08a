#pragma once
// The format tables of one BIFF8 workbook's globals: resolving a cell's XF
// index into a self-contained StyleValue (as the styles part does for
// SpreadsheetML), and interning such values, reusing equal formats and
// appending FONT, FORMAT, XF, XFEXT and STYLE records where Excel keeps
// them. The appended records come out as edits of the globals' record list
// for the record layer to apply; nothing else of the globals changes.

#include "biff/biff_colours.h"
#include "biff/biff_style_records.h"
#include "engine/error.h"
#include "parts/styles_part.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace engine
{

// One record of the globals substream, its CONTINUE records joined.
struct BiffRecordRef {
    std::uint16_t id = 0;
    std::string_view body;
};

// A record to insert before, or put in place of, the record at `at` of the
// list the table was loaded from (`at` may be the list's size: at its end).
// Insertions at one place go in the order of the edit list.
struct BiffRecordEdit {
    std::size_t at = 0;
    bool replaces = false;
    std::uint16_t id = 0;
    std::string body;
};

class BiffStyleTable
{
  public:
    // False with a reason when a format record is damaged or the tables
    // are missing.
    bool Load(const std::vector<BiffRecordRef> &globals, Error &error);

    int XfCount() const { return int(xfs_.size()); }
    // An index that names no XF resolves as the default cell format.
    StyleValue Resolve(int ixfe) const;
    // The XF index of a cell format with this value; -1, with the table as
    // it was apart from shared records, when BIFF's limits leave no room.
    int Intern(const StyleValue &style);

    bool Changed() const { return !newFonts_.empty() || !newFormats_.empty() || XfsAdded(); }
    std::vector<BiffRecordEdit> Edits() const;

  private:
    bool LoadRecord(std::size_t at, const BiffRecordRef &record, Error &error);
    bool XfsAdded() const { return xfs_.size() > loadedXfs_; }
    const BiffFont &FontAt(std::uint16_t ifnt) const;
    XfValue ResolveXf(int ixfe) const;
    void NameParent(int parent, StyleValue &style) const;
    int FindStyleNamed(const std::string &name) const;
    int InternParent(const StyleValue &style);
    int InternFormat(const XfValue &value);
    int InternFont(const std::string &text, std::vector<XfExtProp> &ext);
    // The XF a value makes, or false when a font or format has no room.
    bool BuildXf(const XfValue &value, BiffXf &xf, std::vector<XfExtProp> &ext);
    int InternXf(BiffXf &xf, std::vector<XfExtProp> &ext);
    std::string RecordKey(const std::string &body, const std::vector<XfExtProp> &ext) const;
    std::unordered_map<std::string, int> &KnownValues(bool styles);
    std::string AllXfBodies() const;

    Palette palette_ = DefaultPalette();
    std::vector<BiffFont> fonts_;
    std::unordered_map<std::string, int> fontIndexes_; // body -> ifnt
    std::unordered_map<int, std::string> formatCodes_;
    std::unordered_map<std::string, int> formatIds_; // the first id of each code
    int highestFormat_ = 163;                        // custom ids start above the built-in range
    int formatCount_ = 0;
    std::vector<BiffXf> xfs_;
    std::vector<std::string> xfBodies_;
    std::size_t loadedXfs_ = 0;
    std::unordered_map<int, BiffXfExt> exts_; // by XF index
    std::vector<BiffStyle> styles_;

    // Where the tables end in the loaded list; npos where there is none.
    static constexpr std::size_t kNone = std::size_t(-1);
    std::size_t lastFont_ = kNone, lastFormat_ = kNone, lastXf_ = kNone, xfCrc_ = kNone,
                lastXfExt_ = kNone, lastStyle_ = kNone;
    bool hadExts_ = false;

    std::vector<std::string> newFonts_, newFormats_, newStyles_;
    std::vector<int> newExts_; // XF indexes with an appended XFEXT

    // value key -> XF index, for cell formats and for style formats
    std::unordered_map<std::string, int> knownCells_, knownStyles_;
    bool knownCellsFilled_ = false, knownStylesFilled_ = false;
    std::unordered_map<std::string, int> xfRecords_; // record key -> XF index
    bool xfRecordsFilled_ = false;
    mutable std::unordered_map<int, XfValue> resolved_;
    std::string key_; // reused
};

} // namespace engine
