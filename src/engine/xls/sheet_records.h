#pragma once
// The records of a sheet's own substream, without those of the substreams
// embedded in it (the charts a worksheet holds).

#include "biff/record_reader.h"

#include <vector>

namespace engine
{

std::vector<BiffRecord> OwnRecords(const std::vector<BiffRecord> &sheetRecords);

} // namespace engine
