#pragma once
// A legacy .xls workbook (Excel 97-2003, BIFF8) edited in place: its sheets,
// unmerge and pasting column widths, and saving it back so that only the
// records those jobs changed differ from the file as it was; every other
// stream of the compound file and every other record keeps its bytes.

#include "engine/cell_area.h"
#include "engine/error.h"
#include "engine/file_identity.h"
#include "engine/pending_replace.h"
#include "engine/transfer_state.h"
#include "engine/workbook.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine
{

class CompoundFile;
struct ClipboardSnapshot;
class XlsBook;

class XlsWorkbook
{
  public:
    ~XlsWorkbook();
    XlsWorkbook(const XlsWorkbook &) = delete;
    XlsWorkbook &operator=(const XlsWorkbook &) = delete;

    // Null, with the reason, for anything but a sound BIFF8 workbook: not a
    // compound file, an Excel 95 or older one, an encrypted one, a damaged one.
    static std::unique_ptr<XlsWorkbook> Open(const std::string &path, Error &error) noexcept;

    // Worksheets, chart sheets and the others (macro sheets, VBA modules),
    // in workbook order; partName is empty.
    const std::vector<SheetInfo> &Sheets() const { return sheets_; }

    // These fail, with the reason, for a sheet without cells or whose
    // records cannot be read.
    // Removes every merged area intersecting `area`; with none, every one.
    bool UnMerge(size_t sheet, const std::optional<CellArea> &area, Error &error) noexcept;
    // The bounding box of the sheet's DIMENSIONS and merged areas.
    bool UsedArea(size_t sheet, CellArea &area, Error &error) noexcept;
    // The snapshot's column widths, its first column landing on place's.
    bool PasteColumnWidths(size_t sheet, const ClipboardSnapshot &snapshot, PastePlace place,
                           Error &error) noexcept;
    // The snapshot's cell formats, its first cell landing on place: formats
    // added to the workbook's tables without duplicates, the target's
    // merged areas that intersect the area dissolved and the template's
    // inside it made. Refused, with the reason and nothing changed, where
    // the native path does not paste yet (a target cell in a row without
    // cells; the template's whole rows or conditional formats).
    bool PasteFormats(size_t sheet, const ClipboardSnapshot &snapshot, PastePlace place,
                      Error &error) noexcept;

    bool Changed() const;
    // Writes the file by an atomic replace; a workbook without changes is
    // not written at all.
    bool Save(Error &error) noexcept;
    // Save() but for its last step, which `replace.Finish` does; nothing is
    // pending for a workbook without changes.
    bool SaveUntilReplace(PendingReplace &replace, Error &error) noexcept;

  private:
    XlsWorkbook();
    bool Load(const std::string &path, Error &error);
    bool WriteFile(PendingReplace &replace, Error &error) const;

    std::string path_;
    std::optional<FileIdentity> opened_; // the file as it was when read
    std::unique_ptr<CompoundFile> file_;
    std::unique_ptr<XlsBook> book_;
    std::vector<SheetInfo> sheets_;
    bool saved_ = false; // the changes are in the file
};

} // namespace engine
