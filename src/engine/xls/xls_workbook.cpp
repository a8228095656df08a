#include "engine/xls_workbook.h"

#include "base/engine_limits.h"
#include "base/no_throw.h"
#include "cfb/compound_file.h"
#include "package/atomic_file.h"
#include "package/whole_file.h"
#include "transfer/clipboard_snapshot.h"
#include "transfer/paste_area.h"
#include "xls/xls_book.h"

#include <charconv>
#include <cmath>

namespace engine
{
namespace
{

constexpr char kWorkbookStream[] = "Workbook";
constexpr char kBiff5Stream[] = "Book";
constexpr char kEncryptionInfo[] = "EncryptionInfo"; // an encrypted .xlsx in a compound file

SheetKind KindOf(BiffSheetKind kind)
{
    switch (kind) {
    case BiffSheetKind::Worksheet:
        return SheetKind::Worksheet;
    case BiffSheetKind::Chart:
        return SheetKind::Chartsheet;
    default:
        return SheetKind::Other;
    }
}

// An .xlsx width in characters as COLINFO holds it: 1/256 of a character.
bool BiffWidth(const std::string &text, std::uint16_t &width, Error &error)
{
    double characters = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), characters);
    if (failure != std::errc() || end != text.data() + text.size() || !(characters >= 0)) {
        error.Set(ErrorCode::Unsupported,
                  "the template's column width \"" + text + "\" is not a width");
        return false;
    }
    width = std::uint16_t(std::min(65535.0, std::round(characters * 256)));
    return true;
}

} // namespace

XlsWorkbook::XlsWorkbook() = default;
XlsWorkbook::~XlsWorkbook() = default;

std::unique_ptr<XlsWorkbook> XlsWorkbook::Open(const std::string &path, Error &error) noexcept
{
    return NoThrow(error, std::unique_ptr<XlsWorkbook>(), [&] {
        std::unique_ptr<XlsWorkbook> workbook(new XlsWorkbook);
        return workbook->Load(path, error) ? std::move(workbook) : nullptr;
    });
}

bool XlsWorkbook::Load(const std::string &path, Error &error)
{
    path_ = path;
    opened_ = IdentityOf(path);
    std::string bytes;
    if (!ReadWholeFile(path, limits::kMaxCompoundFileSize, bytes, error))
        return false;
    if (bytes.empty()) {
        error.Set(ErrorCode::Damaged, "the workbook file is empty (0 bytes)");
        return false;
    }
    file_ = CompoundFile::Parse(std::move(bytes), error);
    if (!file_) {
        error.message = "the file is not an Excel 97-2003 workbook (damaged, or another kind of "
                        "file): " +
                        error.message;
        return false;
    }
    if (file_->HasStream(kEncryptionInfo))
        error.Set(ErrorCode::Encrypted, "the workbook is encrypted (password protected)");
    else if (file_->HasStream(kBiff5Stream) && !file_->HasStream(kWorkbookStream))
        error.Set(ErrorCode::Unsupported, kOldVersion);
    else if (!file_->HasStream(kWorkbookStream))
        error.Set(ErrorCode::NotSpreadsheet, "the file is not an Excel 97-2003 workbook (it "
                                             "holds no Workbook stream)");
    if (error)
        return false;
    std::string stream;
    book_ = std::make_unique<XlsBook>();
    if (!file_->ReadStream(kWorkbookStream, stream, error) ||
        !book_->Load(std::move(stream), error))
        return false;
    for (const BiffSheet &sheet : book_->Stream().Sheets())
        sheets_.push_back(SheetInfo{sheet.name, KindOf(sheet.kind), std::string()});
    return true;
}

bool XlsWorkbook::UnMerge(size_t sheet, const std::optional<CellArea> &area, Error &error) noexcept
{
    saved_ = false;
    return NoThrow(error, false, [&] { return book_->UnMerge(sheet, area, error); });
}

bool XlsWorkbook::UsedArea(size_t sheet, CellArea &area, Error &error) noexcept
{
    return NoThrow(error, false, [&] { return book_->UsedArea(sheet, area, error); });
}

bool XlsWorkbook::PasteColumnWidths(size_t sheet, const ClipboardSnapshot &snapshot,
                                    PastePlace place, Error &error) noexcept
{
    return NoThrow(error, false, [&] {
        const Offset offset{0, OffsetOf(snapshot, place).columns};
        std::vector<ColumnWidth> widths;
        for (const SnapshotWidth &width : snapshot.widths) {
            CellArea moved;
            ColumnWidth biff;
            if (!BiffWidth(width.width, biff.width, error))
                return false;
            if (!Moved(CellArea{1, width.first, 1, width.last}, offset, moved))
                continue;
            biff.first = moved.firstColumn;
            biff.last = moved.lastColumn;
            widths.push_back(biff);
        }
        saved_ = false;
        return book_->SetColumnWidths(sheet, widths, error);
    });
}

bool XlsWorkbook::PasteFormats(size_t sheet, const ClipboardSnapshot &snapshot, PastePlace place,
                               Error &error) noexcept
{
    return NoThrow(error, false, [&] {
        const Offset offset = OffsetOf(snapshot, place);
        saved_ = false;
        return book_->PasteCellFormats(sheet, snapshot, TargetArea(snapshot, place), offset.rows,
                                       offset.columns, error);
    });
}

bool XlsWorkbook::Changed() const
{
    return book_->Changed() && !saved_;
}

bool XlsWorkbook::WriteFile(PendingReplace &replace, Error &error) const
{
    std::string stream;
    std::string file;
    return book_->EditedStream(stream, error) &&
           file_->WithStreamReplaced(kWorkbookStream, stream, file, error) &&
           PrepareReplace(path_, opened_, file.data(), file.size(), replace, error);
}

bool XlsWorkbook::Save(Error &error) noexcept
{
    if (!Changed())
        return true;
    PendingReplace replace;
    if (!SaveUntilReplace(replace, error) || !replace.Finish(error))
        return false;
    opened_ = IdentityOf(path_);
    saved_ = true;
    return true;
}

bool XlsWorkbook::SaveUntilReplace(PendingReplace &replace, Error &error) noexcept
{
    if (!Changed())
        return true;
    return NoThrow(error, false, [&] { return WriteFile(replace, error); });
}

} // namespace engine
