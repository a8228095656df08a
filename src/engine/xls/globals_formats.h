#pragma once
// The format tables of a Workbook stream's globals, read over the record
// layer: records continued in CONTINUE read as one, and the records the
// tables append turned into stream edits at the places they name.

#include "biff/record_reader.h"
#include "biff/stream_edit.h"
#include "biff/workbook_stream.h"
#include "engine/error.h"
#include "xls/format_tables.h"

#include <vector>

namespace engine
{

class GlobalsFormats
{
  public:
    bool Load(const WorkbookStream &stream, Error &error);

    BiffStyleTable &Table() { return table_; }
    const BiffStyleTable &Table() const { return table_; }
    bool Changed() const { return table_.Changed(); }
    void AddEdits(std::vector<StreamEdit> &edits) const;

  private:
    BiffStyleTable table_;
    // The first piece of each record the table was given, in its order.
    std::vector<BiffRecord> records_;
};

} // namespace engine
