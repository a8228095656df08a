#pragma once
// The positions a Workbook stream holds of its own bytes, moved to where an
// edit put those bytes: BOUNDSHEET8 lbPlyPos, the INDEX of each sheet (its
// DBCELL records and DEFCOLWIDTH), the offsets inside each DBCELL's row block,
// and the string positions of EXTSST.

#include "biff/position_map.h"
#include "biff/workbook_stream.h"
#include "engine/error.h"

#include <string>

namespace engine
{

// `edited` is the stream with the edits made; records the edits wrote are
// left as they are.
bool MovePointers(const WorkbookStream &stream, const PositionMap &map, std::string &edited,
                  Error &error);

} // namespace engine
