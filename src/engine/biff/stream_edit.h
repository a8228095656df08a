#pragma once
// Editing a Workbook stream in one pass: a list of edits, each replacing a
// byte range of the stream as parsed (a record removed, bytes inserted before
// a record, a record replaced), and every byte between them copied as it was.

#include "biff/record_reader.h"
#include "biff/workbook_stream.h"
#include "engine/error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine
{

struct StreamEdit {
    size_t begin = 0;
    size_t end = 0;
    std::string bytes;

    static StreamEdit Remove(const BiffRecord &record) { return {record.offset, record.End(), {}}; }
    // `offset` is where a record's header begins (or the end of a substream's EOF).
    static StreamEdit InsertAt(size_t offset, std::string bytes)
    {
        return {offset, offset, std::move(bytes)};
    }
    static StreamEdit Replace(const BiffRecord &record, std::string bytes)
    {
        return {record.offset, record.End(), std::move(bytes)};
    }
};

// A record's bytes: its header and `body` (at most 8224 bytes in BIFF8).
std::string MakeRecord(std::uint16_t id, const std::string &body);

// The stream with the edits made. The positions the stream holds of its own
// records (BOUNDSHEET8 lbPlyPos, INDEX, DBCELL, EXTSST) move with the records
// they point to; records the edits write are taken as they are given. Bytes
// inserted before a record come before what points to it: a new first cell
// of a row goes in as a replacement of the row's old first cell by both, so
// that its DBCELL offset points to the new one. False, with the reason, for
// edits that overlap or that remove a record another points to.
bool ApplyEdits(const WorkbookStream &stream, std::vector<StreamEdit> edits, std::string &edited,
                Error &error);

} // namespace engine
