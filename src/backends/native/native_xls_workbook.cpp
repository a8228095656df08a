#include "backends/native/native_xls_workbook.h"

#include "backends/native/engine_path.h"

#include "engine/xls_workbook.h"

#include <QFile>

#include <algorithm>
#include <optional>
#include <vector>

namespace
{

// A BIFF8 sheet's edge.
constexpr std::uint32_t kXlsRows = 65536;
constexpr std::uint32_t kXlsColumns = 256;

QString FromEngine(const std::string &text)
{
    return QString::fromStdString(text);
}

// The area cut at the sheet's edge; nothing when it begins past it.
std::optional<engine::CellArea> OnXlsSheet(engine::CellArea area)
{
    if (area.firstRow > kXlsRows || area.firstColumn > kXlsColumns)
        return std::nullopt;
    area.lastRow = std::min(area.lastRow, kXlsRows);
    area.lastColumn = std::min(area.lastColumn, kXlsColumns);
    return area;
}

class XlsBook;

class XlsRange : public automation::CellRange
{
  public:
    // No area: the sheet's used range.
    XlsRange(XlsBook &book, size_t sheet, std::optional<engine::CellArea> area)
        : book_(book), sheet_(sheet), area_(area)
    {
    }
    void Copy() override;
    void PasteSpecial(int pasteType) override;
    void UnMerge() override;
    QString LastError() const override { return lastError_; }

  private:
    XlsBook &book_;
    size_t sheet_;
    std::optional<engine::CellArea> area_;
    QString lastError_;
};

class XlsSheet : public automation::Sheet
{
  public:
    XlsSheet(XlsBook &book, size_t index) : book_(book), index_(index) {}
    QString Name() override;
    automation::CellRange *Range(const QString &address) override;
    automation::CellRange *UsedRange() override;

  private:
    automation::CellRange *MakeRange(std::optional<engine::CellArea> area);

    XlsBook &book_;
    size_t index_;
    std::vector<std::unique_ptr<XlsRange>> ranges_;
};

class XlsSheets : public automation::SheetCollection
{
  public:
    explicit XlsSheets(XlsBook &book) : book_(book) {}
    int Count() override;
    automation::Sheet *Item(int oneBasedIndex) override;

  private:
    XlsBook &book_;
    std::vector<std::unique_ptr<XlsSheet>> sheets_;
};

class XlsBook : public automation::Workbook
{
  public:
    XlsBook(std::unique_ptr<engine::XlsWorkbook> book, NativeClipboard &clipboard,
            SaveFinisher &finisher)
        : book_(std::move(book)), sheets_(*this), clipboard_(clipboard), finisher_(finisher)
    {
    }

    automation::SheetCollection *Sheets() override { return book_ ? &sheets_ : nullptr; }
    bool Save() override;
    void Close(bool saveChanges) override;
    QString LastError() const override { return lastError_; }
    void SaveAndClose(SaveFinished finished) override;
    bool SavedWithoutChange() const override { return savedWithoutChange_; }

    // Null once closed.
    const engine::XlsWorkbook *Engine() const { return book_.get(); }
    bool HasCells(size_t sheet) const;
    // Each returns why it failed, or "", and a failure refuses the save.
    std::string Copy();
    std::string Paste(size_t sheet, const std::optional<engine::CellArea> &range, int pasteType);
    std::string UnMerge(size_t sheet, const std::optional<engine::CellArea> &range);

  private:
    // Column widths or cell formats, onto the range or the sheet's used area.
    std::string PasteNatively(size_t sheet, const std::optional<engine::CellArea> &range,
                              int pasteType);
    std::string Refused(const std::string &reason);
    bool ReadyToSave();

    std::unique_ptr<engine::XlsWorkbook> book_;
    XlsSheets sheets_;
    NativeClipboard &clipboard_;
    SaveFinisher &finisher_;
    QString refusal_;
    QString lastError_;
    bool savedWithoutChange_ = false;
};

void XlsRange::Copy()
{
    lastError_ = FromEngine(book_.Copy());
}

void XlsRange::PasteSpecial(int pasteType)
{
    lastError_ = FromEngine(book_.Paste(sheet_, area_, pasteType));
}

void XlsRange::UnMerge()
{
    lastError_ = FromEngine(book_.UnMerge(sheet_, area_));
}

QString XlsSheet::Name()
{
    const engine::XlsWorkbook *book = book_.Engine();
    return book ? FromEngine(book->Sheets()[index_].name) : QString();
}

automation::CellRange *XlsSheet::MakeRange(std::optional<engine::CellArea> area)
{
    if (!book_.HasCells(index_))
        return nullptr;
    ranges_.push_back(std::make_unique<XlsRange>(book_, index_, area));
    return ranges_.back().get();
}

automation::CellRange *XlsSheet::Range(const QString &address)
{
    const auto area = engine::ParseA1Area(address.toStdString());
    const auto onSheet = area ? OnXlsSheet(*area) : std::nullopt;
    return onSheet ? MakeRange(onSheet) : nullptr;
}

automation::CellRange *XlsSheet::UsedRange()
{
    return MakeRange(std::nullopt);
}

int XlsSheets::Count()
{
    const engine::XlsWorkbook *book = book_.Engine();
    return book ? static_cast<int>(book->Sheets().size()) : 0;
}

automation::Sheet *XlsSheets::Item(int oneBasedIndex)
{
    if (oneBasedIndex < 1 || oneBasedIndex > Count())
        return nullptr;
    const size_t index = static_cast<size_t>(oneBasedIndex - 1);
    sheets_.resize(std::max(sheets_.size(), static_cast<size_t>(Count())));
    if (!sheets_[index])
        sheets_[index] = std::make_unique<XlsSheet>(book_, index);
    return sheets_[index].get();
}

bool XlsBook::HasCells(size_t sheet) const
{
    return book_ && book_->Sheets()[sheet].kind == engine::SheetKind::Worksheet;
}

std::string XlsBook::Refused(const std::string &reason)
{
    if (refusal_.isEmpty())
        refusal_ = FromEngine(reason);
    return reason;
}

std::string XlsBook::Copy()
{
    // Templates in .xls are read from the .xlsx made of them.
    const std::string reason = "copying from an .xls workbook is not supported";
    clipboard_.Fail(reason);
    return reason;
}

std::string XlsBook::Paste(size_t sheet, const std::optional<engine::CellArea> &range,
                           int pasteType)
{
    if (!book_)
        return std::string(); // closed: nothing to paste into, nothing to save
    // Nothing copied yet: nothing to do, as in the spreadsheet application.
    if (!clipboard_.Current())
        return clipboard_.Failure().empty() ? std::string()
                                            : Refused("the copy failed: " + clipboard_.Failure());
    switch (pasteType) {
    case automation::PasteColumnWidths:
    case automation::PasteFormats:
        return PasteNatively(sheet, range, pasteType);
    case automation::PasteFormulas:
    case automation::PasteValues:
        return Refused("this paste into an .xls workbook needs LibreOffice Calc");
    default:
        return std::string(); // a paste type the runs never ask for
    }
}

std::string XlsBook::PasteNatively(size_t sheet, const std::optional<engine::CellArea> &range,
                                   int pasteType)
{
    engine::Error error;
    engine::CellArea area;
    if (range)
        area = *range;
    else if (!book_->UsedArea(sheet, area, error))
        return Refused(error.message);
    const engine::PastePlace place{area.firstRow, area.firstColumn};
    const engine::ClipboardSnapshot &snapshot = *clipboard_.Current();
    const bool pasted = pasteType == automation::PasteFormats
                            ? book_->PasteFormats(sheet, snapshot, place, error)
                            : book_->PasteColumnWidths(sheet, snapshot, place, error);
    return pasted ? std::string() : Refused(error.message);
}

std::string XlsBook::UnMerge(size_t sheet, const std::optional<engine::CellArea> &range)
{
    engine::Error error;
    if (!book_ || book_->UnMerge(sheet, range, error))
        return std::string();
    return Refused(error.message);
}

bool XlsBook::ReadyToSave()
{
    if (!book_)
        lastError_ = QStringLiteral("the workbook is closed");
    else if (!refusal_.isEmpty())
        lastError_ = refusal_;
    return book_ && refusal_.isEmpty();
}

bool XlsBook::Save()
{
    engine::Error error;
    if (!ReadyToSave())
        return false;
    if (book_->Save(error))
        return true;
    lastError_ = FromEngine(error.message);
    return false;
}

void XlsBook::SaveAndClose(SaveFinished finished)
{
    engine::PendingReplace replace;
    engine::Error error;
    const bool written = ReadyToSave() && book_->SaveUntilReplace(replace, error);
    const QString reason = written ? QString() : error ? FromEngine(error.message) : lastError_;
    Close(false);
    savedWithoutChange_ = written && !replace.Pending();
    if (!written || !replace.Pending())
        return finished(written, reason);
    finisher_.Hand(std::move(replace),
                   [finished = std::move(finished)](bool replaced, const std::string &why) {
                       finished(replaced, FromEngine(why));
                   });
}

void XlsBook::Close(bool saveChanges)
{
    if (saveChanges)
        Save();
    book_.reset();
}

} // namespace

bool IsXlsPath(const QString &path)
{
    return path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive);
}

std::unique_ptr<automation::Workbook> OpenXlsWorkbook(const QString &path,
                                                      NativeClipboard &clipboard,
                                                      SaveFinisher &finisher, QString &error)
{
    engine::Error engineError;
    auto book = engine::XlsWorkbook::Open(EnginePath(path), engineError);
    if (!book) {
        error = FromEngine(engineError.message);
        return nullptr;
    }
    error.clear();
    return std::make_unique<XlsBook>(std::move(book), clipboard, finisher);
}
