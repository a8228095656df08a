#pragma once
// Whether a paste landed: a few cells of the template range, read when it
// is copied, are compared with the target's cells after the paste.

#include "backends/office/office_session.h"

#include <com/sun/star/sheet/XSpreadsheet.hpp>

namespace office
{

// Up to three rows by three columns of the area's filled part.
std::vector<CellSample> SampleCells(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                                    const engine::CellArea &area);
// `flags` as given to the paste: "T" compares formats, the others contents.
bool PasteLanded(const CopiedRange &copied,
                 const css::uno::Reference<css::sheet::XSpreadsheet> &target,
                 const engine::CellArea &place, const char *flags);

} // namespace office
