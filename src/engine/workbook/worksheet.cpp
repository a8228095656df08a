#include "engine/workbook.h"

#include "sheet/merges.h"
#include "sheet/used_range.h"
#include "sheet/worksheet_part.h"

namespace engine
{

Worksheet::Worksheet() : part_(std::make_unique<WorksheetPart>()) {}

Worksheet::~Worksheet() = default;

bool Worksheet::Load(std::string xml, Error &error)
{
    return part_->Load(std::move(xml), error);
}

bool Worksheet::Load(std::string xml, SheetHole hole, Error &error)
{
    return part_->Load(std::move(xml), std::move(hole), error);
}

bool Worksheet::UnMerge(const std::optional<CellArea> &area, Error &error)
{
    return RemoveMerges(*part_, area, error);
}

bool Worksheet::UsedArea(CellArea &area, Error &error) const
{
    return ComputeUsedArea(*part_, area, error);
}

bool Worksheet::Changed() const
{
    return part_->Changed();
}

unsigned Worksheet::Revision() const
{
    return part_->Revision();
}

} // namespace engine
