#include "xls/globals_formats.h"

#include "biff/record_ids.h"

#include <string>

namespace engine
{

bool GlobalsFormats::Load(const WorkbookStream &stream, Error &error)
{
    const std::vector<BiffRecord> &globals = stream.Globals();
    std::vector<std::string> bodies;
    for (size_t i = 0; i < globals.size(); ++i) {
        if (globals[i].id == biff::kContinue)
            continue;
        std::string body;
        for (const BiffRecord &piece : ContinuedRecord(globals, i))
            body += BodyOf(stream.Bytes(), piece);
        records_.push_back(globals[i]);
        bodies.push_back(std::move(body));
    }
    std::vector<BiffRecordRef> refs;
    for (size_t i = 0; i < records_.size(); ++i)
        refs.push_back({records_[i].id, bodies[i]});
    return table_.Load(refs, error);
}

void GlobalsFormats::AddEdits(std::vector<StreamEdit> &edits) const
{
    for (const BiffRecordEdit &edit : table_.Edits()) {
        std::string bytes = MakeRecord(edit.id, edit.body);
        if (edit.replaces)
            edits.push_back(StreamEdit::Replace(records_[edit.at], std::move(bytes)));
        else
            edits.push_back(StreamEdit::InsertAt(records_[edit.at].offset, std::move(bytes)));
    }
}

} // namespace engine
