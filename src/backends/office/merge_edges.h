#pragma once
// Merged areas that lie across the edge of a paste's place. LibreOffice
// would cut them at the edge and merge the pieces again; like our engine, we
// dissolve them before the paste, their contents staying where they are.

#include "engine/cell_area.h"

#include <com/sun/star/sheet/XSpreadsheet.hpp>

namespace office
{

void DissolveMergesAcrossEdge(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                              const engine::CellArea &place);

} // namespace office
