#include "biff/stream_edit.h"

#include "biff/biff_bytes.h"
#include "biff/position_map.h"
#include "biff/stream_pointers.h"

#include <algorithm>
#include <limits>

namespace engine
{
namespace
{

bool InOrder(std::vector<StreamEdit> &edits, size_t streamSize, Error &error)
{
    // Inserts at one position keep the order they were given in.
    std::stable_sort(edits.begin(), edits.end(), [](const StreamEdit &a, const StreamEdit &b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
    });
    for (size_t i = 0; i < edits.size(); ++i) {
        if (edits[i].begin > edits[i].end || edits[i].end > streamSize ||
            (i > 0 && edits[i].begin < edits[i - 1].end)) {
            error.Set(ErrorCode::Unsupported, "two edits of the workbook's records overlap");
            return false;
        }
    }
    return true;
}

} // namespace

std::string MakeRecord(std::uint16_t id, const std::string &body)
{
    std::string record;
    record.reserve(4 + body.size());
    AppendU16(record, id);
    AppendU16(record, std::uint16_t(body.size()));
    return record + body;
}

bool ApplyEdits(const WorkbookStream &stream, std::vector<StreamEdit> edits, std::string &edited,
                Error &error)
{
    const std::string &old = stream.Bytes();
    if (!InOrder(edits, old.size(), error))
        return false;
    edited.clear();
    size_t copied = 0;
    for (const StreamEdit &edit : edits) {
        edited.append(old, copied, edit.begin - copied);
        edited += edit.bytes;
        copied = edit.end;
    }
    edited.append(old, copied, std::string::npos);
    if (edited.size() > std::numeric_limits<std::uint32_t>::max()) {
        error.Set(ErrorCode::LimitExceeded, "the Workbook stream would grow past 4 GB");
        return false;
    }
    return MovePointers(stream, PositionMap(edits), edited, error);
}

} // namespace engine
