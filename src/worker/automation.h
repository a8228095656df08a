#pragma once
// The spreadsheet operations the two runs ask for, one method per automation
// call. A backend implements these classes; the runs never see anything else.
//
// Ownership: every object a call returns belongs to the object that returned
// it and stays valid until the SpreadsheetApp is destroyed. A null pointer is
// the only way an object-returning call reports "no object".
//
// The rule every backend keeps: a call that fails must make the save of the
// workbook it concerns fail, with the reason in LastError(); it is never
// dropped. A failed Copy() (of a template range, say) concerns every workbook
// it is pasted on: their pastes fail, and so do their saves. Otherwise a run
// would report a workbook as done that was not. A call that has nothing to do
// (on a closed workbook, say) is no failure.

#include <QString>

#include <functional>
#include <memory>

namespace automation
{

enum PasteType : int {
    PasteColumnWidths = 8,
    PasteFormats = -4122,
    PasteFormulas = -4123,
    PasteValues = -4163,
};

class CellRange
{
  public:
    virtual ~CellRange() = default;
    virtual void Copy() = 0;
    virtual void PasteSpecial(int pasteType) = 0;
    virtual void UnMerge() = 0;
    // Why the last call on this range failed; empty when it succeeded. The
    // runs ask it after Copy(), to leave alone the workbooks it was meant for.
    virtual QString LastError() const { return QString(); }
};

class Sheet
{
  public:
    virtual ~Sheet() = default;
    virtual QString Name() = 0;
    virtual CellRange *Range(const QString &address) = 0;
    virtual CellRange *UsedRange() = 0;
};

class SheetCollection
{
  public:
    virtual ~SheetCollection() = default;
    virtual int Count() = 0;
    virtual Sheet *Item(int oneBasedIndex) = 0;
};

class Workbook
{
  public:
    virtual ~Workbook() = default;
    virtual SheetCollection *Sheets() = 0;
    // True when the workbook is safely on disk; on false, LastError() says why.
    virtual bool Save() = 0;
    virtual void Close(bool saveChanges) = 0;
    virtual QString LastError() const = 0;

    using SaveFinished = std::function<void(bool saved, const QString &error)>;
    // Save(), then Close(false), for a caller that need not wait for the
    // disk: `finished` receives what Save() and LastError() would give, once
    // the workbook is safely on disk or its save failed. A backend may call it
    // later and on another thread, but before its application has quit.
    virtual void SaveAndClose(SaveFinished finished)
    {
        const bool saved = Save();
        const QString error = saved ? QString() : LastError();
        Close(false);
        finished(saved, error);
    }
    // True once a save has succeeded without writing anything: nothing had
    // changed, and the file is as it was. A backend that cannot tell says false.
    virtual bool SavedWithoutChange() const { return false; }
};

class WorkbookCollection
{
  public:
    virtual ~WorkbookCollection() = default;
    // Null when the file is not a workbook this backend can edit;
    // LastOpenError() then says why.
    virtual Workbook *Open(const QString &path) = 0;
    virtual QString LastOpenError() const = 0;
};

class SpreadsheetApp
{
  public:
    virtual ~SpreadsheetApp() = default;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetDisplayAlerts(bool displayAlerts) = 0;
    // Null when no usable spreadsheet application is there.
    virtual WorkbookCollection *WorkBooks() = 0;
    virtual void Quit() = 0;
    // True when other applications from the same factory may work on other
    // threads while this one works; a run then processes workbooks in parallel.
    virtual bool SupportsParallelUse() const { return false; }
};

using AppFactory = std::function<std::unique_ptr<SpreadsheetApp>()>;

} // namespace automation
