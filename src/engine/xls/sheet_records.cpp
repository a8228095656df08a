#include "xls/sheet_records.h"

#include "biff/record_ids.h"

namespace engine
{

std::vector<BiffRecord> OwnRecords(const std::vector<BiffRecord> &sheetRecords)
{
    std::vector<BiffRecord> own;
    int depth = 0;
    for (const BiffRecord &record : sheetRecords) {
        if (record.id == biff::kBof)
            ++depth;
        if (depth == 1)
            own.push_back(record);
        if (record.id == biff::kEof)
            --depth;
    }
    return own;
}

} // namespace engine
