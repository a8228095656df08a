#pragma once
// A workbook loaded in LibreOffice, with its sheets and ranges.

#include "backends/office/office_session.h"
#include "engine/file_identity.h"
#include "worker/automation.h"

#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace office
{

class OfficeWorkbook;

// No area: the whole sheet, whose merged areas all lie in its used area.
class OfficeRange : public automation::CellRange
{
  public:
    OfficeRange(OfficeWorkbook &book, int sheet, std::optional<engine::CellArea> area)
        : book_(book), sheet_(sheet), area_(area)
    {
    }
    void Copy() override;
    void PasteSpecial(int pasteType) override;
    void UnMerge() override;

  private:
    OfficeWorkbook &book_;
    int sheet_;
    std::optional<engine::CellArea> area_;
};

class OfficeSheet : public automation::Sheet
{
  public:
    OfficeSheet(OfficeWorkbook &book, int index) : book_(book), index_(index) {}
    QString Name() override;
    automation::CellRange *Range(const QString &address) override;
    automation::CellRange *UsedRange() override;

  private:
    automation::CellRange *MakeRange(std::optional<engine::CellArea> area);

    OfficeWorkbook &book_;
    int index_;
    std::vector<std::unique_ptr<OfficeRange>> ranges_;
};

class OfficeSheets : public automation::SheetCollection
{
  public:
    explicit OfficeSheets(OfficeWorkbook &book) : book_(book) {}
    int Count() override;
    automation::Sheet *Item(int oneBasedIndex) override;

  private:
    OfficeWorkbook &book_;
    std::vector<std::unique_ptr<OfficeSheet>> sheets_;
};

struct LoadedWorkbook {
    css::uno::Reference<css::lang::XComponent> document;
    QString path;
    std::optional<engine::FileIdentity> original; // the file as it was before loading
    bool editable = false;                        // a target; false for a template
    bool hadLockFile = false;                     // someone else's lock was there before
    int generation = 0;                           // of the instance it was loaded in
};

class OfficeWorkbook : public automation::Workbook
{
  public:
    OfficeWorkbook(OfficeSession &session, LoadedWorkbook loaded);

    automation::SheetCollection *Sheets() override;
    bool Save() override;
    void Close(bool saveChanges) override;
    QString LastError() const override { return lastError_; }
    bool SavedWithoutChange() const override { return savedWithoutChange_; }

    OfficeSession &Session() { return session_; }
    const css::uno::Reference<css::lang::XComponent> &Document() const { return loaded_.document; }
    bool Editable() const { return loaded_.editable; }
    // Runs a call into LibreOffice; an exception makes the save fail with
    // its message (a template whose soffice ended is only loaded again for
    // the next call). False when the workbook is closed, refused or the call
    // failed; FailureReason() then says why.
    bool Guarded(const std::function<void()> &call);
    // The first reason given is the one reported.
    void Refuse(const QString &reason);
    bool Refused() const { return !refusal_.isEmpty(); }
    QString FailureReason() const;
    // A workbook copied from and never changed is a template, which can be
    // loaded again after its soffice ended.
    void MarkCopiedFrom() { copiedFrom_ = true; }
    void MarkEdited() { edited_ = true; }
    // Where formats were pasted, so that a content paste there can paste them again.
    void NoteFormatsPasted(int sheet, const engine::CellArea &place)
    {
        formatsPasted_.emplace_back(sheet, place);
    }
    bool FormatsPasted(int sheet, const engine::CellArea &place) const
    {
        return std::find(formatsPasted_.begin(), formatsPasted_.end(),
                         std::make_pair(sheet, place)) != formatsPasted_.end();
    }
    css::uno::Reference<css::sheet::XSpreadsheet> SheetAt(int index);
    int SheetCount();

  private:
    // False when the document is gone with its soffice; a template is
    // loaded again in the new one.
    bool DocumentAlive();
    bool Reloadable() const;
    void RemoveLockLeftByCrash();

    OfficeSession &session_;
    LoadedWorkbook loaded_;
    OfficeSheets sheets_;
    QString refusal_;
    QString failure_; // of the last call, when it did not refuse the save
    QString lastError_;
    bool copiedFrom_ = false;
    bool edited_ = false;
    bool savedWithoutChange_ = false;
    std::vector<std::pair<int, engine::CellArea>> formatsPasted_;
};

} // namespace office
