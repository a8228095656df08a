#pragma once
// The records of a BIFF8 Workbook stream: each a 4-byte header (type, body
// length) and its body. A substream runs from a BOF record to its own EOF,
// with the substreams embedded in it (a worksheet's charts) inside.

#include "engine/error.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine
{

struct BiffRecord {
    size_t offset = 0; // of its header in the stream
    std::uint16_t id = 0;
    std::uint16_t length = 0;

    size_t Body() const { return offset + 4; }
    size_t End() const { return Body() + length; }
};

// The record whose header is at `offset`; false, with the reason, when the
// header or the body would run past the end of the stream.
bool ReadRecordAt(std::string_view stream, size_t offset, BiffRecord &record, Error &error);

// The records of the substream whose BOF is at `begin`, that BOF and its EOF
// included. `what` names it in the reasons ("the globals", "sheet \"A\"").
bool ReadSubstream(std::string_view stream, size_t begin, const std::string &what,
                   std::vector<BiffRecord> &records, Error &error);

inline std::string_view BodyOf(std::string_view stream, const BiffRecord &record)
{
    return stream.substr(record.Body(), record.length);
}

// The record with its CONTINUE records after it: `index` and the pieces up
// to the first record of another type.
std::vector<BiffRecord> ContinuedRecord(const std::vector<BiffRecord> &records, size_t index);

} // namespace engine
