#pragma once
// The engine's entry point: one workbook package opened from disk, its
// sheets, and saving it back in place. Nothing here is shared between
// workbooks, so different workbooks may be used on different threads.

#include "engine/cell_area.h"
#include "engine/error.h"
#include "engine/file_identity.h"
#include "engine/pending_replace.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine
{

class DeflateMemo;
struct SheetHole;
class WorksheetPart;
class ZipReader;
class ZipWriter;
struct ZipEntry;

// A memo of deflated texts for the workbooks of one run, which may share it
// across threads.
std::shared_ptr<DeflateMemo> NewDeflateMemo();

enum class SheetKind {
    Worksheet,
    Chartsheet, // no cells
    Other,      // dialog or macro sheet: no cells the engine edits
};

struct SheetInfo {
    std::string name;
    SheetKind kind = SheetKind::Worksheet;
    std::string partName; // zip entry name
};

// How much of a worksheet part is held in memory: a part bigger than
// `wholeUpTo` is held without its rows past the first `heldBytes` of it, so
// that memory stays bounded however many rows a sheet has.
struct PartHolding {
    std::uint64_t wholeUpTo = std::uint64_t(64) << 20;
    size_t heldBytes = size_t(4) << 20;
};

class Worksheet
{
  public:
    Worksheet();
    ~Worksheet();
    Worksheet(const Worksheet &) = delete;
    Worksheet &operator=(const Worksheet &) = delete;

    bool Load(std::string xml, Error &error);
    bool Load(std::string xml, SheetHole hole, Error &error);

    // Removes every merged area intersecting `area`; with no area, every
    // merged area (the used range holds them all, so no cell is scanned).
    bool UnMerge(const std::optional<CellArea> &area, Error &error);
    bool UsedArea(CellArea &area, Error &error) const;

    bool Changed() const;
    unsigned Revision() const;
    // The part itself, for the operations that edit several of its elements.
    WorksheetPart &Part() { return *part_; }
    const WorksheetPart &Part() const { return *part_; }

  private:
    std::unique_ptr<WorksheetPart> part_;
};

class Workbook
{
  public:
    ~Workbook();
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    // Null, with the reason, for anything that is not an editable
    // SpreadsheetML package.
    static std::unique_ptr<Workbook> Open(const std::string &path, Error &error,
                                          PartHolding holding = {}) noexcept;

    const std::vector<SheetInfo> &Sheets() const { return sheets_; }
    // The sheet's cells, read on first use; null for a sheet without cells
    // (error stays clear) or a damaged sheet part (error says why).
    Worksheet *CellSheet(size_t index, Error &error) noexcept;

    // Makes sure rows 1 to `lastRow` of a loaded sheet are held: a sheet
    // held around a hole that they reach takes its stored rows back in,
    // whatever memory that needs.
    bool HoldRows(size_t index, std::uint32_t lastRow, Error &error) noexcept;

    // The parts besides worksheets that an operation edits (styles, the
    // workbook part, relationships, content types): read as last replaced,
    // replaced or dropped for the next Save.
    const std::string &WorkbookPartName() const { return workbookPart_; }
    bool ReadCurrentPart(const std::string &partName, std::string &text, Error &error) const;
    bool HasPart(const std::string &partName) const;
    void ReplacePart(const std::string &partName, std::string text);
    void DropPart(const std::string &partName);

    // Writes the changed parts and copies every other entry as stored, by
    // an atomic replace. A workbook without changes is left untouched.
    bool Save(Error &error) noexcept;
    // Save() but for its last step, for a caller that finishes it elsewhere
    // while it goes on: the new package lies written beside the original, and
    // `replace.Finish` flushes it to the disk and puts it in the original's
    // place. Nothing is pending for a workbook without changes.
    // The changes still count as unsaved here: the workbook is to be closed.
    bool SaveUntilReplace(PendingReplace &replace, Error &error) noexcept;
    // Replaced parts are compressed through `memo`, which outlives the
    // workbook: workbooks of one layout often write the same text.
    void ShareDeflates(DeflateMemo *memo) { deflates_ = memo; }

  private:
    Workbook();
    bool Load(const std::string &path, Error &error);
    bool ReadPart(const std::string &partName, std::string &text, Error &error) const;
    bool ReadSheetList(const std::string &workbookPart, Error &error);
    bool LoadSheet(const std::string &partName, Worksheet &sheet, Error &error) const;
    bool HasUnsavedChanges() const;
    bool WritePackage(PendingReplace &replace, Error &error);
    bool WriteSheet(ZipWriter &writer, const Worksheet &sheet, int entry, Error &error) const;
    bool WriteReplacedPart(ZipWriter &writer, const ZipEntry &entry, const std::string &text,
                           Error &error) const;

    std::string path_;
    PartHolding holding_;
    std::optional<FileIdentity> opened_; // the file as it was when opened
    std::string workbookPart_;
    std::map<std::string, std::optional<std::string>> editedParts_; // nothing: dropped
    unsigned partsRevision_ = 0;
    unsigned savedPartsRevision_ = 0;
    std::unique_ptr<ZipReader> zip_;
    std::vector<SheetInfo> sheets_;
    std::vector<std::unique_ptr<Worksheet>> loaded_; // by sheet index
    std::vector<unsigned> savedRevisions_;           // by sheet index
    DeflateMemo *deflates_ = nullptr;
};

} // namespace engine
