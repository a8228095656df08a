#pragma once
// What the objects of one office application share: its soffice instance,
// its options, and what its clipboard holds.

#include "backends/office/office_backend.h"
#include "backends/office/office_instance.h"

#include "engine/cell_area.h"

#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/util/Date.hpp>

#include <optional>
#include <vector>

namespace office
{

// One cell of the copied range, as read from the template, so that each
// paste can be checked by reading the target cell back.
struct CellSample {
    sal_Int32 row = 0;
    sal_Int32 column = 0;
    css::uno::Sequence<css::uno::Any> format; // the attributes in kSampledFormat
    std::vector<bool> ownFormat;              // which of them the cell sets itself
    rtl::OUString formula;                    // empty for an empty cell
    rtl::OUString text;
    double value = 0;
    bool empty = true;
    bool formulaCell = false;
};

struct CopiedRange {
    const void *document = nullptr; // which template document, compared only
    int sheet = 0;
    engine::CellArea area;
    std::vector<sal_Int32> widths; // from area.firstColumn, in 1/100 mm
    std::vector<CellSample> samples;
    css::util::Date nullDate; // of the template's date system
    bool holdsDates = false;
};

struct OfficeSession {
    OfficeOptions options;
    OfficeInstance instance;
    int workbooksLoaded = 0; // by the running instance
    int generation = 0;      // counts the instances started
    std::optional<CopiedRange> clipboard;
    // Why the first soffice did not start; every workbook fails with it.
    QString startFailure;
    // Why the clipboard is empty.
    QString copyFailure = QStringLiteral("nothing was copied from the template");
};

} // namespace office
