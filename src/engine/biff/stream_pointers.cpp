#include "biff/stream_pointers.h"

#include "biff/biff_bytes.h"
#include "biff/record_ids.h"

#include <limits>

namespace engine
{
namespace
{

// Row blocks begin with their first ROW record, which is 20 bytes long.
constexpr size_t kRowRecordSize = 20;
constexpr size_t kIndexFixedSize = 16;

// Writes 32-bit fields of one record of the old stream where the record now lies.
class PointerWriter
{
  public:
    PointerWriter(const WorkbookStream &stream, const PositionMap &map, std::string &edited,
                  Error &error)
        : old_(stream.Bytes()), map_(map), edited_(edited), error_(error)
    {
    }

    bool Fail(const std::string &reason)
    {
        error_.Set(ErrorCode::Unsupported, reason);
        return false;
    }
    // Whether the record was copied as it was (an edit may have rewritten it).
    bool Copied(const BiffRecord &record) const
    {
        return !map_.Touches(record.offset, record.End());
    }
    bool Moved(size_t old, size_t &now) const
    {
        const auto mapped = map_.Map(old);
        if (mapped)
            now = *mapped;
        return bool(mapped);
    }
    // The position at `field` of the record's body, moved; false when what it
    // points to is gone.
    bool MovePosition(const BiffRecord &record, size_t field)
    {
        return MoveBodyPosition({record}, field);
    }
    // The same for a field of a record continued in CONTINUE records, at
    // `field` of the body the pieces make together.
    bool MoveBodyPosition(const std::vector<BiffRecord> &pieces, size_t field)
    {
        std::string value(4, '\0');
        std::vector<size_t> at;
        for (size_t i = 0; i < 4; ++i) {
            size_t physical = 0;
            if (!Physical(pieces, field + i, physical))
                return true; // a field cut off by the end of the record: not a position
            at.push_back(physical);
            value[i] = old_[physical];
        }
        size_t now = 0;
        if (!Moved(ReadU32(value, 0), now) || now > std::numeric_limits<std::uint32_t>::max())
            return false;
        PutU32(value, 0, std::uint32_t(now));
        for (size_t i = 0; i < 4; ++i)
            edited_[*map_.Map(at[i])] = value[i];
        return true;
    }
    void PutU16At(const BiffRecord &record, size_t field, std::uint16_t value)
    {
        PutU16(edited_, *map_.Map(record.Body() + field), value);
    }
    void PutU32At(const BiffRecord &record, size_t field, std::uint32_t value)
    {
        PutU32(edited_, *map_.Map(record.Body() + field), value);
    }
    std::string_view Old() const { return old_; }

  private:
    static bool Physical(const std::vector<BiffRecord> &pieces, size_t logical, size_t &physical)
    {
        for (const BiffRecord &piece : pieces) {
            if (logical < piece.length) {
                physical = piece.Body() + logical;
                return true;
            }
            logical -= piece.length;
        }
        return false;
    }

    std::string_view old_;
    const PositionMap &map_;
    std::string &edited_;
    Error &error_;
};

bool MoveSheetPositions(const WorkbookStream &stream, PointerWriter &writer)
{
    for (const BiffSheet &sheet : stream.Sheets()) {
        const BiffRecord &record = stream.Globals()[sheet.boundSheet];
        if (writer.Copied(record) && !writer.MovePosition(record, 0) &&
            sheet.kind != BiffSheetKind::Module)
            return writer.Fail("the records of sheet \"" + sheet.name + "\" would be removed");
    }
    return true;
}

bool MoveStringPositions(const WorkbookStream &stream, PointerWriter &writer)
{
    const std::vector<BiffRecord> &records = stream.Globals();
    for (size_t index = 0; index < records.size(); ++index) {
        if (records[index].id != biff::kExtSst || !writer.Copied(records[index]))
            continue;
        const std::vector<BiffRecord> pieces = ContinuedRecord(records, index);
        size_t size = 0;
        for (const BiffRecord &piece : pieces)
            size += piece.length;
        // dsst, then ISSTInf entries: ib (a stream position), cbOffset, reserved.
        for (size_t field = 2; field + 8 <= size; field += 8)
            if (!writer.MoveBodyPosition(pieces, field))
                return writer.Fail("the shared strings' index would point into changed records");
    }
    return true;
}

bool MoveIndex(const BiffRecord &index, PointerWriter &writer)
{
    if (index.length < kIndexFixedSize)
        return true;
    bool moved = writer.MovePosition(index, 12); // ibXF: the DEFCOLWIDTH record
    for (size_t field = kIndexFixedSize; field + 4 <= index.length; field += 4)
        moved = writer.MovePosition(index, field) && moved;
    return moved || writer.Fail("the sheet's INDEX would point into changed records");
}

// DBCELL: the distance back to the block's first ROW, then per row the
// distance to its first cell from the previous one (the first row's from the
// end of the first ROW record).
bool MoveRowBlock(const BiffRecord &dbCell, PointerWriter &writer)
{
    const std::string_view body = BodyOf(writer.Old(), dbCell);
    if (body.size() < 4)
        return true;
    const size_t back = ReadU32(body, 0);
    if (back == 0 || back > dbCell.offset)
        return true; // no rows in the block, or not a position in the stream
    const size_t firstRow = dbCell.offset - back;
    size_t cellNow = 0;
    size_t rowNow = 0;
    size_t selfNow = 0;
    if (!writer.Moved(firstRow, rowNow) || !writer.Moved(dbCell.offset, selfNow))
        return writer.Fail("a row block's first row would be removed");
    writer.PutU32At(dbCell, 0, std::uint32_t(selfNow - rowNow));
    size_t previousOld = firstRow + kRowRecordSize;
    size_t previousNow = rowNow + kRowRecordSize;
    for (size_t field = 4; field + 2 <= body.size(); field += 2) {
        const size_t cellOld = previousOld + ReadU16(body, field);
        if (!writer.Moved(cellOld, cellNow) || cellNow < previousNow ||
            cellNow - previousNow > std::numeric_limits<std::uint16_t>::max())
            return writer.Fail("a row block's cells would not stay within its reach");
        writer.PutU16At(dbCell, field, std::uint16_t(cellNow - previousNow));
        previousOld = cellOld;
        previousNow = cellNow;
    }
    return true;
}

bool MoveCellTablePositions(const BiffSheet &sheet, PointerWriter &writer)
{
    for (const BiffRecord &record : sheet.records) {
        if (!writer.Copied(record))
            continue;
        if (record.id == biff::kIndex && !MoveIndex(record, writer))
            return false;
        if (record.id == biff::kDbCell && !MoveRowBlock(record, writer))
            return false;
    }
    return true;
}

} // namespace

bool MovePointers(const WorkbookStream &stream, const PositionMap &map, std::string &edited,
                  Error &error)
{
    PointerWriter writer(stream, map, edited, error);
    if (!MoveSheetPositions(stream, writer) || !MoveStringPositions(stream, writer))
        return false;
    for (const BiffSheet &sheet : stream.Sheets())
        if ((sheet.kind == BiffSheetKind::Worksheet || sheet.kind == BiffSheetKind::Macro) &&
            !MoveCellTablePositions(sheet, writer))
            return false;
    return true;
}

} // namespace engine
