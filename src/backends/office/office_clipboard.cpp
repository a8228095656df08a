#include "backends/office/office_clipboard.h"

#include "backends/office/date_system.h"
#include "backends/office/office_dispatch.h"
#include "backends/office/office_workbook.h"
#include "backends/office/paste_check.h"
#include "backends/office/sheet_geometry.h"
#include "backends/office/uno_text.h"
#include "engine/a1_text.h"
#include "worker/automation.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/XCellAddressable.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/util/XProtectable.hpp>

#include <algorithm>
#include <cstring>

using namespace css;

namespace office
{
namespace
{

const char *FlagsOf(int pasteType)
{
    switch (pasteType) {
    case automation::PasteFormats:
        return "T"; // formats, merged areas, and row heights of whole rows
    case automation::PasteFormulas:
        return "SVDF"; // "F" alone would empty the constants
    case automation::PasteValues:
        return "SVD";
    default:
        return nullptr;
    }
}

uno::Reference<container::XIndexAccess> ColumnsOf(const uno::Reference<table::XCellRange> &range)
{
    return uno::Reference<container::XIndexAccess>(
        uno::Reference<table::XColumnRowRange>(range, uno::UNO_QUERY_THROW)->getColumns(),
        uno::UNO_QUERY_THROW);
}

std::vector<sal_Int32> ReadWidths(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                  const engine::CellArea &area)
{
    engine::CellArea columns = area;
    columns.lastColumn = std::min<std::uint32_t>(area.lastColumn, kXlsColumns);
    columns.lastRow = columns.firstRow;
    std::vector<sal_Int32> widths;
    if (columns.firstColumn > columns.lastColumn)
        return widths;
    const auto all = ColumnsOf(RangeOf(sheet, columns));
    for (sal_Int32 i = 0; i < all->getCount(); ++i) {
        sal_Int32 width = 0;
        uno::Reference<beans::XPropertySet>(all->getByIndex(i), uno::UNO_QUERY_THROW)
            ->getPropertyValue("Width") >>= width;
        widths.push_back(width);
    }
    return widths;
}

// Setting one column at a time over a whole sheet takes half a minute; a
// run of equal widths is set in one call.
void WriteWidths(const uno::Reference<sheet::XSpreadsheet> &sheet, std::uint32_t firstColumn,
                 const std::vector<sal_Int32> &widths)
{
    size_t start = 0;
    while (start < widths.size() && firstColumn + start <= kXlsColumns) {
        size_t end = start;
        while (end + 1 < widths.size() && widths[end + 1] == widths[start] &&
               firstColumn + end + 1 <= kXlsColumns)
            ++end;
        const engine::CellArea run{1, static_cast<std::uint32_t>(firstColumn + start), 1,
                                   static_cast<std::uint32_t>(firstColumn + end)};
        uno::Reference<beans::XPropertySet>(
            uno::Reference<table::XColumnRowRange>(RangeOf(sheet, run), uno::UNO_QUERY_THROW)
                ->getColumns(),
            uno::UNO_QUERY_THROW)
            ->setPropertyValue("Width", uno::Any(widths[start]));
        start = end + 1;
    }
}

QString SheetName(const uno::Reference<sheet::XSpreadsheet> &sheet)
{
    return FromUno(uno::Reference<container::XNamed>(sheet, uno::UNO_QUERY_THROW)->getName());
}

bool SameRange(const CopiedRange &copied, const void *document, int sheet,
               const engine::CellArea &area)
{
    return copied.document == document && copied.sheet == sheet && copied.area == area;
}

// A hidden sheet cannot be selected (the paste would land on another
// sheet): it is shown for the paste and hidden again.
class ShownForPaste
{
  public:
    explicit ShownForPaste(const uno::Reference<sheet::XSpreadsheet> &sheet)
        : properties_(sheet, uno::UNO_QUERY_THROW)
    {
        properties_->getPropertyValue("IsVisible") >>= wasVisible_;
        if (!wasVisible_)
            properties_->setPropertyValue("IsVisible", uno::Any(true));
    }
    ~ShownForPaste()
    {
        if (wasVisible_)
            return;
        try {
            properties_->setPropertyValue("IsVisible", uno::Any(false));
        } catch (const uno::Exception &) {
        }
    }
    ShownForPaste(const ShownForPaste &) = delete;
    ShownForPaste &operator=(const ShownForPaste &) = delete;

  private:
    uno::Reference<beans::XPropertySet> properties_;
    bool wasVisible_ = true;
};

QString NameOf(const table::CellAddress &cell)
{
    return QString::fromStdString(engine::CellName(static_cast<std::uint32_t>(cell.Row) + 1,
                                                   static_cast<std::uint32_t>(cell.Column) + 1));
}

// The first cell of the area that is part of an array formula, which
// LibreOffice will not paste over.
std::optional<table::CellAddress> ArrayFormulaCell(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                                   const engine::CellArea &area)
{
    const auto cells = FormulaCells(RangeOf(sheet, area));
    while (cells->hasMoreElements()) {
        const uno::Reference<sheet::XSheetCellRange> cell(cells->nextElement(),
                                                          uno::UNO_QUERY_THROW);
        if (InArrayFormula(sheet, cell))
            return uno::Reference<sheet::XCellAddressable>(cell, uno::UNO_QUERY_THROW)
                ->getCellAddress();
    }
    return std::nullopt;
}

QString WhyPasteMissed(const uno::Reference<sheet::XSpreadsheet> &sheet,
                       const engine::CellArea &place, const table::CellAddress &miss)
{
    if (const auto array = ArrayFormulaCell(sheet, place))
        return QStringLiteral("cell %1 is part of an array formula").arg(NameOf(*array));
    return QStringLiteral("cell %1 does not read back as the template's").arg(NameOf(miss));
}

bool SameDay(const util::Date &a, const util::Date &b)
{
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day;
}

void PasteContents(OfficeWorkbook &book, int sheetIndex, const engine::CellArea &place,
                   const char *flags)
{
    const auto sheet = book.SheetAt(sheetIndex);
    const QString name = SheetName(sheet);
    // A second refused paste in one document ends soffice: refuse first.
    if (uno::Reference<util::XProtectable>(sheet, uno::UNO_QUERY_THROW)->isProtected())
        return book.Refuse(QStringLiteral("sheet \"%1\" is protected").arg(name));
    const CopiedRange &copied = *book.Session().clipboard;
    if (std::strcmp(flags, "T") != 0 && copied.holdsDates &&
        !SameDay(copied.nullDate, NullDateOf(book.Document())))
        return book.Refuse(QStringLiteral("the workbook counts dates from %1 and the template "
                                          "from %2: pasted dates would move by 1,462 days")
                               .arg(NullDateOf(book.Document()).Year == 1904 ? 1904 : 1900)
                               .arg(copied.nullDate.Year == 1904 ? 1904 : 1900));
    ShownForPaste shown(sheet);
    if (!SelectCell(book.Document(), sheet, sheetIndex, place))
        return book.Refuse(
            QStringLiteral("sheet \"%1\" cannot be selected for the paste").arg(name));
    Dispatch(book.Session().instance.Context(), book.Document(), ".uno:InsertContents",
             {Property("Flags", uno::Any(rtl::OUString::createFromAscii(flags))),
              Property("FormulaCommand", uno::Any(sal_Int16(0))),
              Property("SkipEmptyCells", uno::Any(false)), Property("Transpose", uno::Any(false)),
              Property("AsLink", uno::Any(false)), Property("MoveMode", uno::Any(sal_Int16(4)))});
    if (const auto miss = PasteMiss(copied, sheet, place, flags))
        book.Refuse(QStringLiteral("LibreOffice refused the paste into sheet \"%1\": %2")
                        .arg(name, WhyPasteMissed(sheet, place, *miss)));
}

} // namespace

void CopyToClipboard(OfficeWorkbook &book, int sheetIndex,
                     const std::optional<engine::CellArea> &range)
{
    const auto sheet = book.SheetAt(sheetIndex);
    const engine::CellArea area = AreaOnSheet(sheet, range);
    auto &clipboard = book.Session().clipboard;
    // The template does not change during a run: its range is copied once.
    if (clipboard && SameRange(*clipboard, book.Document().get(), sheetIndex, area))
        return;
    clipboard.reset();
    if (!SelectArea(book.Document(), sheet, area))
        return book.Refuse(QStringLiteral("the template range cannot be selected"));
    Dispatch(book.Session().instance.Context(), book.Document(), ".uno:Copy", {});
    clipboard = CopiedRange{book.Document().get(),
                            sheetIndex,
                            area,
                            ReadWidths(sheet, area),
                            SampleCells(sheet, area),
                            NullDateOf(book.Document()),
                            HoldsDates(book.Document(), sheet, area)};
}

void PasteFromClipboard(OfficeWorkbook &book, int sheetIndex,
                        const std::optional<engine::CellArea> &range, int pasteType)
{
    const auto &copied = book.Session().clipboard;
    if (!copied) // the template's copy failed: this workbook must not count as done
        return book.Refuse(QStringLiteral("the template range was not copied: ") +
                           book.Session().copyFailure);
    const auto sheet = book.SheetAt(sheetIndex);
    const engine::CellArea place = AreaOnSheet(sheet, range);
    if (pasteType == automation::PasteColumnWidths)
        return WriteWidths(sheet, place.firstColumn, copied->widths);
    const char *flags = FlagsOf(pasteType);
    if (!flags)
        return;
    PasteContents(book, sheetIndex, place, flags);
    if (pasteType == automation::PasteFormats)
        book.NoteFormatsPasted(sheetIndex, place);
    else if (book.FormatsPasted(sheetIndex, place) && !book.Refused())
        // A content paste removes the merged areas the formats paste made:
        // formats go last.
        PasteContents(book, sheetIndex, place, FlagsOf(automation::PasteFormats));
}

} // namespace office
