#include "backends/office/office_workbook.h"

#include "backends/office/office_clipboard.h"
#include "backends/office/office_load.h"
#include "backends/office/office_lock_file.h"
#include "backends/office/office_store.h"
#include "backends/office/sheet_geometry.h"
#include "backends/office/uno_text.h"

#include <QFile>

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

using namespace css;

namespace office
{
namespace
{

const QString kCrashReason =
    QStringLiteral("LibreOffice stopped responding or ended while working on the workbook");

uno::Reference<container::XIndexAccess> SheetsOf(const uno::Reference<lang::XComponent> &doc)
{
    return uno::Reference<container::XIndexAccess>(
        uno::Reference<sheet::XSpreadsheetDocument>(doc, uno::UNO_QUERY_THROW)->getSheets(),
        uno::UNO_QUERY_THROW);
}

} // namespace

void OfficeRange::Copy()
{
    book_.MarkCopiedFrom();
    OfficeSession &session = book_.Session();
    if (book_.Guarded([this] { CopyToClipboard(book_, sheet_, area_); }) && session.clipboard)
        return;
    session.clipboard.reset();
    session.copyFailure = book_.FailureReason();
}

void OfficeRange::PasteSpecial(int pasteType)
{
    if (!book_.Editable())
        return book_.Refuse(QStringLiteral("a template is never changed"));
    book_.MarkEdited();
    book_.Guarded([this, pasteType] { PasteFromClipboard(book_, sheet_, area_, pasteType); });
}

// The sheet itself unmerges every merged area; a cursor over its used area
// misses merged blank cells. Like our own engine, this also unmerges
// protected sheets: protection guards cells, and their contents stay.
void OfficeRange::UnMerge()
{
    if (!book_.Editable())
        return book_.Refuse(QStringLiteral("a template is never changed"));
    book_.MarkEdited();
    book_.Guarded([this] {
        const auto sheet = book_.SheetAt(sheet_);
        if (!area_) {
            uno::Reference<util::XMergeable>(sheet, uno::UNO_QUERY_THROW)->merge(false);
            return;
        }
        uno::Reference<util::XMergeable>(RangeOf(sheet, AreaOnSheet(sheet, area_)),
                                         uno::UNO_QUERY_THROW)
            ->merge(false);
    });
}

QString OfficeSheet::Name()
{
    QString name;
    book_.Guarded([&] {
        name =
            FromUno(uno::Reference<container::XNamed>(book_.SheetAt(index_), uno::UNO_QUERY_THROW)
                        ->getName());
    });
    return name;
}

automation::CellRange *OfficeSheet::MakeRange(std::optional<engine::CellArea> area)
{
    ranges_.push_back(std::make_unique<OfficeRange>(book_, index_, area));
    return ranges_.back().get();
}

automation::CellRange *OfficeSheet::Range(const QString &address)
{
    const auto area = engine::ParseA1Area(address.toStdString());
    return area ? MakeRange(area) : nullptr;
}

automation::CellRange *OfficeSheet::UsedRange()
{
    return MakeRange(std::nullopt);
}

int OfficeSheets::Count()
{
    return book_.SheetCount();
}

automation::Sheet *OfficeSheets::Item(int oneBasedIndex)
{
    const int count = Count();
    if (oneBasedIndex < 1 || oneBasedIndex > count)
        return nullptr;
    if (sheets_.size() < static_cast<size_t>(count))
        sheets_.resize(static_cast<size_t>(count));
    auto &sheet = sheets_[static_cast<size_t>(oneBasedIndex - 1)];
    if (!sheet)
        sheet = std::make_unique<OfficeSheet>(book_, oneBasedIndex - 1);
    return sheet.get();
}

OfficeWorkbook::OfficeWorkbook(OfficeSession &session, LoadedWorkbook loaded)
    : session_(session), loaded_(std::move(loaded)), sheets_(*this)
{
}

automation::SheetCollection *OfficeWorkbook::Sheets()
{
    return loaded_.document.is() ? &sheets_ : nullptr;
}

bool OfficeWorkbook::DocumentAlive()
{
    if (loaded_.generation == session_.generation && session_.instance.Running())
        return true;
    RemoveLockLeftByCrash();
    if (!Reloadable()) {
        Refuse(kCrashReason);
        return false;
    }
    QString error;
    loaded_.editable = false;
    loaded_.document = LoadDocument(session_, loaded_.path, false, error);
    loaded_.generation = session_.generation;
    if (!loaded_.document.is())
        Refuse(QStringLiteral("the template cannot be opened again: ") + error);
    return loaded_.document.is();
}

bool OfficeWorkbook::Reloadable() const
{
    return !loaded_.editable || (copiedFrom_ && !edited_);
}

bool OfficeWorkbook::Guarded(const std::function<void()> &call)
{
    failure_.clear();
    if (!loaded_.document.is()) {
        failure_ = QStringLiteral("the workbook is closed");
        return false;
    }
    if (Refused() || !DocumentAlive())
        return false;
    try {
        call();
        return true;
    } catch (const lang::DisposedException &) {
        // The bridge broke because soffice ended; it may not be reaped yet.
        session_.instance.Abandon();
        failure_ = kCrashReason;
    } catch (const uno::Exception &e) {
        failure_ = session_.instance.Running()
                       ? QStringLiteral("LibreOffice: ") + FromUno(e.Message)
                       : kCrashReason;
    } catch (const std::exception &e) {
        failure_ = QStringLiteral("LibreOffice: ") + QString::fromLocal8Bit(e.what());
    }
    if (!Reloadable() || session_.instance.Running())
        Refuse(failure_);
    return false;
}

QString OfficeWorkbook::FailureReason() const
{
    return refusal_.isEmpty() ? failure_ : refusal_;
}

void OfficeWorkbook::Refuse(const QString &reason)
{
    if (refusal_.isEmpty())
        refusal_ = reason;
}

uno::Reference<sheet::XSpreadsheet> OfficeWorkbook::SheetAt(int index)
{
    return uno::Reference<sheet::XSpreadsheet>(SheetsOf(loaded_.document)->getByIndex(index),
                                               uno::UNO_QUERY_THROW);
}

int OfficeWorkbook::SheetCount()
{
    int count = 0;
    Guarded([&] { count = SheetsOf(loaded_.document)->getCount(); });
    return count;
}

bool OfficeWorkbook::Save()
{
    if (!loaded_.document.is()) {
        lastError_ = QStringLiteral("the workbook is closed");
        return false;
    }
    if (!loaded_.editable)
        Refuse(QStringLiteral("a template is never changed"));
    if (Refused()) {
        lastError_ = refusal_;
        return false;
    }
    QString error;
    bool modified = true;
    const bool stored = Guarded([&] {
        // Nothing changed: the file stays byte for byte as it was.
        modified =
            uno::Reference<util::XModifiable>(loaded_.document, uno::UNO_QUERY_THROW)->isModified();
        if (modified)
            StoreWorkbook(loaded_.document, loaded_.path, loaded_.original, error);
    });
    savedWithoutChange_ = stored && !modified;
    if (stored && error.isEmpty())
        return true;
    lastError_ = Refused() ? refusal_ : error;
    return false;
}

void OfficeWorkbook::Close(bool saveChanges)
{
    if (!loaded_.document.is())
        return;
    if (saveChanges)
        Save();
    // Its soffice may have ended, and another begun, since it was loaded.
    const bool gone = loaded_.generation != session_.generation || !session_.instance.Running();
    if (!gone) {
        try {
            uno::Reference<util::XCloseable>(loaded_.document, uno::UNO_QUERY_THROW)->close(true);
        } catch (const lang::DisposedException &) {
            session_.instance.Abandon();
        } catch (const uno::Exception &) {
        }
    }
    session_.instance.Guard().Disarm();
    loaded_.document.clear();
    if (gone || !session_.instance.Running())
        RemoveLockLeftByCrash();
}

// A soffice that was killed leaves its lock file beside the workbook, and a
// later load of that workbook would then return nothing. The lock is ours
// only if none was there before we loaded it.
void OfficeWorkbook::RemoveLockLeftByCrash()
{
    if (!loaded_.editable || loaded_.hadLockFile)
        return;
    QFile::remove(OfficeLockFileOf(loaded_.path));
}

} // namespace office
