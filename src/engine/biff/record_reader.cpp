#include "biff/record_reader.h"

#include "biff/biff_bytes.h"
#include "biff/record_ids.h"

namespace engine
{
namespace
{

// Worksheets embed chart substreams; nothing legitimate nests deeper.
constexpr int kMaxSubstreamDepth = 8;

std::string At(size_t offset)
{
    return " at byte " + std::to_string(offset) + " of the Workbook stream";
}

} // namespace

bool ReadRecordAt(std::string_view stream, size_t offset, BiffRecord &record, Error &error)
{
    if (offset > stream.size() || stream.size() - offset < biff::kHeaderSize) {
        error.Set(ErrorCode::Damaged, "a record header is cut off" + At(offset));
        return false;
    }
    record.offset = offset;
    record.id = ReadU16(stream, offset);
    record.length = ReadU16(stream, offset + 2);
    if (record.End() > stream.size()) {
        error.Set(ErrorCode::Damaged, "a record runs past the end of the stream" + At(offset));
        return false;
    }
    return true;
}

bool ReadSubstream(std::string_view stream, size_t begin, const std::string &what,
                   std::vector<BiffRecord> &records, Error &error)
{
    records.clear();
    BiffRecord record;
    if (!ReadRecordAt(stream, begin, record, error))
        return false;
    if (record.id != biff::kBof) {
        error.Set(ErrorCode::Damaged, what + " do not begin with a BOF record" + At(begin));
        return false;
    }
    int depth = 0;
    for (size_t offset = begin; offset < stream.size(); offset = record.End()) {
        if (!ReadRecordAt(stream, offset, record, error))
            return false;
        records.push_back(record);
        if (record.id == biff::kBof && ++depth > kMaxSubstreamDepth) {
            error.Set(ErrorCode::Damaged, what + " nest substreams too deeply" + At(offset));
            return false;
        }
        if (record.id == biff::kEof && --depth == 0)
            return true;
    }
    error.Set(ErrorCode::Damaged, what + " run to the end of the stream without an EOF record");
    return false;
}

std::vector<BiffRecord> ContinuedRecord(const std::vector<BiffRecord> &records, size_t index)
{
    std::vector<BiffRecord> pieces{records[index]};
    for (size_t next = index + 1; next < records.size() && records[next].id == biff::kContinue;
         ++next)
        pieces.push_back(records[next]);
    return pieces;
}

} // namespace engine
