#include "backends/native/native_backend.h"

#include "backends/native/engine_path.h"
#include "backends/native/native_clipboard.h"
#include "backends/native/native_xls_workbook.h"
#include "backends/native/save_finisher.h"
#include "engine/transfer_state.h"
#include "engine/workbook.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>
#include <vector>

namespace
{

QString FromEngine(const std::string &text)
{
    return QString::fromStdString(text);
}

std::optional<engine::PasteKind> PasteKindOf(int pasteType)
{
    switch (pasteType) {
    case automation::PasteColumnWidths:
        return engine::PasteKind::ColumnWidths;
    case automation::PasteFormats:
        return engine::PasteKind::Formats;
    case automation::PasteFormulas:
        return engine::PasteKind::Formulas;
    case automation::PasteValues:
        return engine::PasteKind::Values;
    default:
        return std::nullopt;
    }
}

class NativeWorkbook;

// Template snapshots shared by the applications of one run, which work on
// different threads: each template range is read once per run, by whichever
// application copies it first. Only workbooks unchanged since they were opened
// are shared, by file, so an edit in one application is never seen in another.
class SharedSnapshots
{
  public:
    using Key =
        std::tuple<std::string, size_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>;
    using Snapshot = std::shared_ptr<const engine::ClipboardSnapshot>;

    static Key KeyOf(const std::string &path, size_t sheet, const engine::CellArea &area)
    {
        return {path, sheet, area.firstRow, area.firstColumn, area.lastRow, area.lastColumn};
    }
    // The lock is held while the snapshot is taken, so that applications
    // asking for the same range at once wait for one reading instead of
    // making their own.
    Snapshot FindOrTake(const Key &key, const std::function<Snapshot()> &take)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Snapshot &snapshot = snapshots_[key];
        if (!snapshot)
            snapshot = take();
        return snapshot;
    }

  private:
    std::mutex mutex_;
    std::map<Key, Snapshot> snapshots_;
};

// What the applications of one run share.
struct RunShares {
    SharedSnapshots snapshots;
    // Workbooks of one layout have byte-identical style tables, which receive
    // the same template formats.
    std::shared_ptr<engine::StyleTableMemo> styles = engine::NewStyleTableMemo();
    // ...and so write the same style table text.
    std::shared_ptr<engine::DeflateMemo> deflates = engine::NewDeflateMemo();
};

// A range is resolved through its workbook on every call, so it stays safe to
// call (and does nothing) after the workbook has been closed.
class NativeRange : public automation::CellRange
{
  public:
    // No area: the sheet's used range, which holds every merged area, so
    // unmerging it needs no scan of the cells.
    NativeRange(NativeWorkbook &book, size_t sheetIndex, std::optional<engine::CellArea> area)
        : book_(book), sheetIndex_(sheetIndex), area_(area)
    {
    }

    void Copy() override;
    void PasteSpecial(int pasteType) override;
    void UnMerge() override;
    QString LastError() const override { return lastError_; }

  private:
    NativeWorkbook &book_;
    size_t sheetIndex_;
    std::optional<engine::CellArea> area_;
    QString lastError_;
};

class NativeSheet : public automation::Sheet
{
  public:
    NativeSheet(NativeWorkbook &book, size_t index) : book_(book), index_(index) {}

    QString Name() override;
    automation::CellRange *Range(const QString &address) override;
    automation::CellRange *UsedRange() override;

  private:
    automation::CellRange *MakeRange(std::optional<engine::CellArea> area);

    NativeWorkbook &book_;
    size_t index_;
    std::vector<std::unique_ptr<NativeRange>> ranges_;
};

class NativeSheets : public automation::SheetCollection
{
  public:
    explicit NativeSheets(NativeWorkbook &book) : book_(book) {}

    int Count() override;
    automation::Sheet *Item(int oneBasedIndex) override;

  private:
    NativeWorkbook &book_;
    std::vector<std::unique_ptr<NativeSheet>> sheets_;
};

class NativeWorkbook : public automation::Workbook
{
  public:
    NativeWorkbook(std::unique_ptr<engine::Workbook> book, std::string path,
                   NativeClipboard &clipboard, RunShares &shared, SaveFinisher &finisher)
        : book_(std::move(book)), path_(std::move(path)), sheets_(*this), clipboard_(clipboard),
          shared_(shared), finisher_(finisher)
    {
    }

    automation::SheetCollection *Sheets() override { return book_ ? &sheets_ : nullptr; }
    bool Save() override;
    void Close(bool saveChanges) override;
    QString LastError() const override { return lastError_; }
    // The file's flush and replacement are left to the application's finisher.
    void SaveAndClose(SaveFinished finished) override;
    bool SavedWithoutChange() const override { return savedWithoutChange_; }

    // Null once closed.
    engine::Workbook *Engine() const { return book_.get(); }
    // The sheet's cells; a sheet that cannot be read makes the save fail.
    engine::Worksheet *CellSheet(size_t index);
    // An operation went wrong or is not supported: saving the workbook now
    // would report a success that did not happen. An empty reason is none.
    void RefuseSave(const std::string &reason);
    // No area: the sheet's used range. Each returns why it failed, or "".
    std::string CopyRange(size_t sheetIndex, const std::optional<engine::CellArea> &range);
    std::string PasteRange(size_t sheetIndex, const std::optional<engine::CellArea> &range,
                           int pasteType);
    std::string UnMergeRange(size_t sheetIndex, const std::optional<engine::CellArea> &range);

  private:
    // The sheet's cells; null for a sheet without cells, or, with the error,
    // for a sheet part that cannot be read or a closed workbook.
    engine::Worksheet *ReadCellSheet(size_t index, engine::Error &error);
    // The cells a range lies on and its area (given, or the used range);
    // null, with the reason, when they cannot be had.
    engine::Worksheet *RangeSheet(size_t sheetIndex, const std::optional<engine::CellArea> &range,
                                  engine::CellArea &area, std::string &reason);
    std::string Paste(size_t sheetIndex, const std::optional<engine::CellArea> &range,
                      int pasteType);
    engine::TransferState &Transfers();
    // What every save does before the package is written: an open workbook
    // whose operations all succeeded, with the transfers' parts handed over.
    bool ReadyToSave();
    bool SaveUntilReplace(engine::PendingReplace &replace);
    bool Fail(const engine::Error &error);

    std::unique_ptr<engine::Workbook> book_;
    std::string path_;
    NativeSheets sheets_;
    NativeClipboard &clipboard_;
    RunShares &shared_;
    SaveFinisher &finisher_;
    bool edited_ = false; // differs from its file: its snapshots are its own
    std::unique_ptr<engine::TransferState> transfers_; // refers to book_
    QString refusal_;
    QString lastError_;
    bool savedWithoutChange_ = false;
};

class NativeWorkbooks : public automation::WorkbookCollection
{
  public:
    NativeWorkbooks(NativeClipboard &clipboard, RunShares &shared, SaveFinisher &finisher)
        : clipboard_(clipboard), shared_(shared), finisher_(finisher)
    {
    }
    automation::Workbook *Open(const QString &path) override;
    QString LastOpenError() const override { return lastOpenError_; }
    void CloseAll();

  private:
    NativeClipboard &clipboard_;
    RunShares &shared_;
    SaveFinisher &finisher_;
    std::vector<std::unique_ptr<automation::Workbook>> workbooks_;
    QString lastOpenError_;
};

class NativeApp : public automation::SpreadsheetApp
{
  public:
    NativeApp(std::shared_ptr<RunShares> shared, SaveFinisher::BeforeFinish beforeFinish)
        : shared_(std::move(shared)), finisher_(std::move(beforeFinish))
    {
    }
    void SetVisible(bool) override {}
    void SetDisplayAlerts(bool) override {}
    automation::WorkbookCollection *WorkBooks() override { return &workbooks_; }
    void Quit() override
    {
        workbooks_.CloseAll();
        finisher_.WaitUntilIdle();
        clipboard_.Clear();
    }
    // Nothing is shared between workbooks but read-only snapshots and the
    // style memo, which locks.
    bool SupportsParallelUse() const override { return true; }

  private:
    std::shared_ptr<RunShares> shared_;
    NativeClipboard clipboard_;
    SaveFinisher finisher_; // outlives the workbooks that hand it their saves
    NativeWorkbooks workbooks_{clipboard_, *shared_, finisher_};
};

void NativeRange::Copy()
{
    lastError_ = FromEngine(book_.CopyRange(sheetIndex_, area_));
}

void NativeRange::PasteSpecial(int pasteType)
{
    lastError_ = FromEngine(book_.PasteRange(sheetIndex_, area_, pasteType));
}

void NativeRange::UnMerge()
{
    lastError_ = FromEngine(book_.UnMergeRange(sheetIndex_, area_));
}

QString NativeSheet::Name()
{
    const engine::Workbook *book = book_.Engine();
    return book ? FromEngine(book->Sheets()[index_].name) : QString();
}

automation::CellRange *NativeSheet::MakeRange(std::optional<engine::CellArea> area)
{
    if (!book_.CellSheet(index_))
        return nullptr; // a chart sheet, or a sheet part that cannot be read
    ranges_.push_back(std::make_unique<NativeRange>(book_, index_, area));
    return ranges_.back().get();
}

automation::CellRange *NativeSheet::Range(const QString &address)
{
    const auto area = engine::ParseA1Area(address.toStdString());
    return area ? MakeRange(area) : nullptr;
}

automation::CellRange *NativeSheet::UsedRange()
{
    return MakeRange(std::nullopt);
}

int NativeSheets::Count()
{
    const engine::Workbook *book = book_.Engine();
    return book ? static_cast<int>(book->Sheets().size()) : 0;
}

automation::Sheet *NativeSheets::Item(int oneBasedIndex)
{
    if (oneBasedIndex < 1 || oneBasedIndex > Count())
        return nullptr;
    const size_t index = static_cast<size_t>(oneBasedIndex - 1);
    if (sheets_.size() < static_cast<size_t>(Count()))
        sheets_.resize(static_cast<size_t>(Count()));
    if (!sheets_[index])
        sheets_[index] = std::make_unique<NativeSheet>(book_, index);
    return sheets_[index].get();
}

engine::Worksheet *NativeWorkbook::ReadCellSheet(size_t index, engine::Error &error)
{
    if (!book_) {
        error.Set(engine::ErrorCode::Unsupported, "the workbook is closed");
        return nullptr;
    }
    engine::Worksheet *sheet = book_->CellSheet(index, error);
    if (error)
        error.message = "sheet \"" + book_->Sheets()[index].name + "\": " + error.message;
    return sheet;
}

engine::Worksheet *NativeWorkbook::CellSheet(size_t index)
{
    engine::Error error;
    engine::Worksheet *sheet = ReadCellSheet(index, error);
    RefuseSave(error.message);
    return sheet;
}

engine::Worksheet *NativeWorkbook::RangeSheet(size_t sheetIndex,
                                              const std::optional<engine::CellArea> &range,
                                              engine::CellArea &area, std::string &reason)
{
    engine::Error error;
    engine::Worksheet *sheet = ReadCellSheet(sheetIndex, error);
    if (sheet && range)
        area = *range;
    if (sheet && (range || sheet->UsedArea(area, error)))
        return sheet;
    reason = error ? error.message : "the sheet has no cells";
    return nullptr;
}

engine::TransferState &NativeWorkbook::Transfers()
{
    if (!transfers_)
        transfers_ = std::make_unique<engine::TransferState>(*book_, shared_.styles.get());
    return *transfers_;
}

std::string NativeWorkbook::CopyRange(size_t sheetIndex,
                                      const std::optional<engine::CellArea> &range)
{
    std::string reason;
    engine::CellArea area;
    engine::Worksheet *sheet = RangeSheet(sheetIndex, range, area, reason);
    clipboard_.Fail(reason);
    if (!sheet)
        return reason;
    const auto key = NativeClipboard::KeyOf(this, sheetIndex, sheet->Revision(), area);
    if (clipboard_.Select(key))
        return std::string();
    engine::Error error;
    const auto take = [&] { return Transfers().Copy(sheetIndex, area, error); };
    // A snapshot that could not be taken is not shared, so `error` is this one's.
    SharedSnapshots::Snapshot snapshot =
        edited_
            ? take()
            : shared_.snapshots.FindOrTake(SharedSnapshots::KeyOf(path_, sheetIndex, area), take);
    if (!snapshot) {
        clipboard_.Fail(error.message);
        return error.message;
    }
    clipboard_.Store(key, std::move(snapshot));
    return std::string();
}

std::string NativeWorkbook::PasteRange(size_t sheetIndex,
                                       const std::optional<engine::CellArea> &range, int pasteType)
{
    if (!book_)
        return std::string(); // closed: nothing to paste into, nothing to save
    const std::string reason = Paste(sheetIndex, range, pasteType);
    RefuseSave(reason);
    return reason;
}

std::string NativeWorkbook::Paste(size_t sheetIndex, const std::optional<engine::CellArea> &range,
                                  int pasteType)
{
    // Nothing copied yet, or a paste type the runs never ask for: nothing to
    // do, as in the spreadsheet application. A failed copy fails the paste.
    const engine::ClipboardSnapshot *snapshot = clipboard_.Current();
    if (!snapshot)
        return clipboard_.Failure().empty() ? std::string()
                                            : "the copy failed: " + clipboard_.Failure();
    const auto kind = PasteKindOf(pasteType);
    if (!kind)
        return std::string();
    std::string reason;
    engine::CellArea area;
    if (!RangeSheet(sheetIndex, range, area, reason))
        return reason;
    edited_ = true;
    engine::Error error;
    const engine::PastePlace place{area.firstRow, area.firstColumn};
    return Transfers().Paste(sheetIndex, *snapshot, place, *kind, error) ? std::string()
                                                                         : error.message;
}

std::string NativeWorkbook::UnMergeRange(size_t sheetIndex,
                                         const std::optional<engine::CellArea> &range)
{
    // A closed workbook or a sheet without cells has nothing to unmerge.
    engine::Worksheet *sheet = CellSheet(sheetIndex);
    engine::Error error;
    edited_ = true;
    if (sheet && !sheet->UnMerge(range, error))
        RefuseSave(error.message);
    return error.message;
}

void NativeWorkbook::RefuseSave(const std::string &reason)
{
    if (refusal_.isEmpty())
        refusal_ = FromEngine(reason);
}

bool NativeWorkbook::Fail(const engine::Error &error)
{
    lastError_ = FromEngine(error.message);
    return false;
}

bool NativeWorkbook::ReadyToSave()
{
    if (!book_) {
        lastError_ = QStringLiteral("the workbook is closed");
        return false;
    }
    if (!refusal_.isEmpty()) {
        lastError_ = refusal_;
        return false;
    }
    engine::Error error;
    return !transfers_ || transfers_->Commit(error) || Fail(error);
}

bool NativeWorkbook::Save()
{
    engine::Error error;
    return ReadyToSave() && (book_->Save(error) || Fail(error));
}

bool NativeWorkbook::SaveUntilReplace(engine::PendingReplace &replace)
{
    engine::Error error;
    return ReadyToSave() && (book_->SaveUntilReplace(replace, error) || Fail(error));
}

void NativeWorkbook::SaveAndClose(SaveFinished finished)
{
    engine::PendingReplace replace;
    const bool written = SaveUntilReplace(replace);
    const QString error = written ? QString() : lastError_;
    Close(false); // the pending replace needs nothing of the workbook
    savedWithoutChange_ = written && !replace.Pending();
    if (!written || !replace.Pending())
        return finished(written, error);
    finisher_.Hand(std::move(replace),
                   [finished = std::move(finished)](bool replaced, const std::string &reason) {
                       finished(replaced, FromEngine(reason));
                   });
}

void NativeWorkbook::Close(bool saveChanges)
{
    if (saveChanges)
        Save(); // its outcome stays in LastError(); the runs always close unsaved
    transfers_.reset();
    book_.reset(); // discards unsaved changes and frees the workbook's memory
}

automation::Workbook *NativeWorkbooks::Open(const QString &path)
{
    if (IsXlsPath(path)) {
        auto xls = OpenXlsWorkbook(path, clipboard_, finisher_, lastOpenError_);
        if (!xls)
            return nullptr;
        workbooks_.push_back(std::move(xls));
        return workbooks_.back().get();
    }
    const std::string enginePath = EnginePath(path);
    engine::Error error;
    auto book = engine::Workbook::Open(enginePath, error);
    if (!book) {
        lastOpenError_ = FromEngine(error.message);
        return nullptr;
    }
    lastOpenError_.clear();
    book->ShareDeflates(shared_.deflates.get());
    workbooks_.push_back(std::make_unique<NativeWorkbook>(std::move(book), enginePath, clipboard_,
                                                          shared_, finisher_));
    return workbooks_.back().get();
}

void NativeWorkbooks::CloseAll()
{
    for (const auto &workbook : workbooks_)
        workbook->Close(false);
}

} // namespace

std::unique_ptr<automation::SpreadsheetApp> CreateNativeApp()
{
    return std::make_unique<NativeApp>(std::make_shared<RunShares>(), nullptr);
}

automation::AppFactory NativeAppFactory(const NativeFinishHook &beforeFinish)
{
    // Applications made while another is alive share its snapshots and style
    // memo; once all are gone (the run has ended) the next one starts afresh,
    // since the template may have changed between runs.
    struct RunSnapshots {
        std::mutex mutex;
        std::weak_ptr<RunShares> current;
    };
    auto run = std::make_shared<RunSnapshots>();
    return [run, beforeFinish]() -> std::unique_ptr<automation::SpreadsheetApp> {
        std::lock_guard<std::mutex> lock(run->mutex);
        std::shared_ptr<RunShares> shared = run->current.lock();
        if (!shared) {
            shared = std::make_shared<RunShares>();
            run->current = shared;
        }
        return std::make_unique<NativeApp>(std::move(shared), beforeFinish);
    };
}
