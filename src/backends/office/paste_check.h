#pragma once
// Whether a paste landed: a few cells of the template range, read when it
// is copied, are compared with the target's cells after the paste.

#include "backends/office/office_session.h"

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellAddress.hpp>

#include <optional>

namespace office
{

// Up to three rows by three columns of the area's filled part, leaving out
// cells hidden under a merged area.
std::vector<CellSample> SampleCells(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                                    const engine::CellArea &area);
// The first sampled cell that does not read back as the paste should have
// made it, none when the paste landed. `flags` as given to the paste: "T"
// compares the formats the template's cells set themselves, the others contents.
std::optional<css::table::CellAddress>
PasteMiss(const CopiedRange &copied, const css::uno::Reference<css::sheet::XSpreadsheet> &target,
          const engine::CellArea &place, const char *flags);

} // namespace office
