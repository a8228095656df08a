#include "engine/workbook.h"

#include "base/no_throw.h"
#include "package/atomic_file.h"
#include "package/deflate_codec.h"
#include "package/deflate_memo.h"
#include "package/ole_sniff.h"
#include "package/zip_reader.h"
#include "package/zip_writer.h"
#include "parts/content_types.h"
#include "parts/relationships.h"
#include "parts/workbook_part.h"
#include "sheet/hole_reader.h"
#include "sheet/hole_writer.h"
#include "sheet/merges.h"
#include "sheet/used_range.h"
#include "sheet/worksheet_part.h"
#include "xml/small_xml.h"
#include "xml/utf16_text.h"

namespace engine
{
namespace
{

bool IsSpreadsheetMainType(const std::string &type)
{
    // Workbook, template and their macro-enabled forms; not the binary .xlsb.
    return EndsWith(type, ".main+xml") && (type.find("spreadsheetml") != std::string::npos ||
                                           type.rfind("application/vnd.ms-excel.", 0) == 0);
}

SheetKind KindOf(const Relationship &relationship)
{
    if (EndsWith(relationship.type, "/worksheet"))
        return SheetKind::Worksheet;
    if (EndsWith(relationship.type, "/chartsheet"))
        return SheetKind::Chartsheet;
    return SheetKind::Other;
}

} // namespace

std::shared_ptr<DeflateMemo> NewDeflateMemo()
{
    return std::make_shared<DeflateMemo>();
}

Workbook::Workbook() : zip_(std::make_unique<ZipReader>()) {}

Workbook::~Workbook() = default;

std::unique_ptr<Workbook> Workbook::Open(const std::string &path, Error &error,
                                         PartHolding holding) noexcept
{
    return NoThrow(error, std::unique_ptr<Workbook>(), [&] {
        std::unique_ptr<Workbook> workbook(new Workbook);
        workbook->holding_ = holding;
        return workbook->Load(path, error) ? std::move(workbook) : nullptr;
    });
}

bool Workbook::ReadPart(const std::string &partName, std::string &text, Error &error) const
{
    const int index = zip_->Find(partName);
    if (index < 0) {
        error.Set(ErrorCode::NotSpreadsheet, "the package has no part " + partName);
        return false;
    }
    return zip_->ReadData(index, text, error) && RecodeUtf16(index, text, error);
}

bool Workbook::RecodeUtf16(int index, std::string &text, Error &error) const
{
    const TextRecoding recoding = RecodeUtf16Part(text);
    if (recoding == TextRecoding::Invalid) {
        error.Set(ErrorCode::Damaged,
                  "broken UTF-16 text in " + zip_->Entries()[size_t(index)].name);
        return false;
    }
    if (recoding == TextRecoding::Recoded)
        recodedEntries_.insert(index);
    return true;
}

bool Workbook::Load(const std::string &path, Error &error)
{
    path_ = path;
    opened_ = IdentityOf(path);
    if (!RefuseOleFile(path, error) || !zip_->Open(path, error))
        return false;
    std::string text;
    ContentTypes types;
    Relationships packageRelationships;
    if (!ReadPart("[Content_Types].xml", text, error) || !types.Parse(text, error) ||
        !ReadPart("_rels/.rels", text, error) || !packageRelationships.Parse(text, error))
        return false;
    const Relationship *office = packageRelationships.FindByTypeTail("/officeDocument");
    const std::string workbookPart = office ? ResolveTarget("", office->target) : std::string();
    if (!office || !IsSpreadsheetMainType(types.TypeOf(workbookPart))) {
        error.Set(ErrorCode::NotSpreadsheet, "the package holds no spreadsheet workbook");
        return false;
    }
    workbookPart_ = workbookPart;
    return ReadSheetList(workbookPart, error);
}

bool Workbook::ReadCurrentPart(const std::string &partName, std::string &text, Error &error) const
{
    const auto edited = editedParts_.find(partName);
    if (edited == editedParts_.end())
        return ReadPart(partName, text, error);
    if (!edited->second) {
        error.Set(ErrorCode::NotSpreadsheet, "the package has no part " + partName);
        return false;
    }
    text = *edited->second;
    return true;
}

bool Workbook::HasPart(const std::string &partName) const
{
    const auto edited = editedParts_.find(partName);
    return edited == editedParts_.end() ? zip_->Find(partName) >= 0 : bool(edited->second);
}

void Workbook::ReplacePart(const std::string &partName, std::string text)
{
    editedParts_[partName] = std::move(text);
    ++partsRevision_;
}

void Workbook::DropPart(const std::string &partName)
{
    editedParts_[partName] = std::nullopt;
    ++partsRevision_;
}

bool Workbook::ReadSheetList(const std::string &workbookPart, Error &error)
{
    std::string text;
    Relationships relationships;
    std::vector<SheetReference> references;
    if (!ReadPart(RelationshipsPartOf(workbookPart), text, error) ||
        !relationships.Parse(text, error) || !ReadPart(workbookPart, text, error) ||
        !engine::ReadSheetList(text, references, error))
        return false;
    for (const SheetReference &reference : references) {
        const Relationship *relationship = relationships.FindById(reference.relationshipId);
        if (!relationship) {
            error.Set(ErrorCode::Damaged, "sheet \"" + reference.name + "\" has no part");
            return false;
        }
        const std::string part = ResolveTarget(workbookPart, relationship->target);
        const SheetKind kind = KindOf(*relationship);
        if (kind == SheetKind::Worksheet && zip_->Find(part) < 0) {
            error.Set(ErrorCode::Damaged, "sheet \"" + reference.name + "\" has no part");
            return false;
        }
        sheets_.push_back(SheetInfo{reference.name, kind, part});
    }
    loaded_.resize(sheets_.size());
    savedRevisions_.resize(sheets_.size(), 0);
    return true;
}

Worksheet *Workbook::CellSheet(size_t index, Error &error) noexcept
{
    if (index >= sheets_.size() || sheets_[index].kind != SheetKind::Worksheet)
        return nullptr;
    if (loaded_[index])
        return loaded_[index].get();
    return NoThrow(error, static_cast<Worksheet *>(nullptr), [&]() -> Worksheet * {
        auto sheet = std::make_unique<Worksheet>();
        if (!LoadSheet(sheets_[index].partName, *sheet, error))
            return nullptr;
        loaded_[index] = std::move(sheet);
        return loaded_[index].get();
    });
}

bool Workbook::LoadSheet(const std::string &partName, Worksheet &sheet, Error &error) const
{
    const int index = zip_->Find(partName);
    const ZipEntry &entry = zip_->Entries()[static_cast<size_t>(index)];
    std::string text;
    if (entry.method == kMethodDeflate && entry.size > holding_.wholeUpTo) {
        std::optional<SheetHole> hole;
        if (!ReadAroundHole(*zip_, index, holding_.heldBytes, text, hole, error))
            return false;
        if (hole)
            return sheet.Load(std::move(text), std::move(*hole), error);
    }
    // A part that turned out not to suit a hole may have been read whole.
    if (text.empty() && !zip_->ReadData(index, text, error))
        return false;
    return RecodeUtf16(index, text, error) && sheet.Load(std::move(text), error);
}

bool Workbook::HoldRows(size_t index, std::uint32_t lastRow, Error &error) noexcept
{
    Worksheet *sheet = index < loaded_.size() ? loaded_[index].get() : nullptr;
    const SheetHole *hole = sheet ? sheet->Part().Hole() : nullptr;
    if (!hole || lastRow < hole->firstRow)
        return true;
    return NoThrow(error, false, [&] {
        std::string stored;
        return ReadPart(sheets_[index].partName, stored, error) &&
               sheet->Part().FillHole(std::string_view(stored).substr(
                                          size_t(hole->begin), size_t(hole->end - hole->begin)),
                                      error);
    });
}

bool Workbook::HasUnsavedChanges() const
{
    if (partsRevision_ != savedPartsRevision_)
        return true;
    for (size_t i = 0; i < loaded_.size(); ++i)
        if (loaded_[i] && loaded_[i]->Revision() != savedRevisions_[i])
            return true;
    return false;
}

bool Workbook::WritePackage(PendingReplace &replace, Error &error)
{
    AtomicFileWriter file;
    if (!file.Begin(path_, opened_, error))
        return false;
    ZipWriter writer([&file](const char *data, size_t size) { return file.Write(data, size); });
    std::vector<const Worksheet *> changedByEntry(zip_->Entries().size(), nullptr);
    for (size_t i = 0; i < sheets_.size(); ++i)
        if (loaded_[i] && loaded_[i]->Changed())
            changedByEntry[static_cast<size_t>(zip_->Find(sheets_[i].partName))] = loaded_[i].get();
    for (size_t entry = 0; entry < changedByEntry.size(); ++entry) {
        const Worksheet *changed = changedByEntry[entry];
        const auto edited = editedParts_.find(zip_->Entries()[entry].name);
        if (edited != editedParts_.end() && !edited->second)
            continue; // dropped
        const bool written =
            changed ? WriteSheet(writer, *changed, static_cast<int>(entry), error)
            : edited != editedParts_.end()
                ? WriteReplacedPart(writer, zip_->Entries()[entry], *edited->second, error)
                : writer.CopyEntry(*zip_, static_cast<int>(entry), error);
        if (!written)
            return false;
    }
    return writer.Finish(zip_->ArchiveComment(), error) && file.HandOver(replace, error);
}

bool Workbook::WriteSheet(ZipWriter &writer, const Worksheet &sheet, int entry, Error &error) const
{
    if (const SheetHole *hole = sheet.Part().Hole())
        return WriteAroundHole(writer, *zip_, entry, sheet.Part().Serialise(), *hole, error);
    UnchangedRuns runs;
    const std::string text = sheet.Part().Serialise(&runs);
    // The stored stream holds the UTF-16 text the runs do not describe.
    if (recodedEntries_.count(entry))
        runs.clear();
    return writer.AddEditedEntry(*zip_, entry, text, runs, error);
}

bool Workbook::WriteReplacedPart(ZipWriter &writer, const ZipEntry &entry, const std::string &text,
                                 Error &error) const
{
    if (!deflates_)
        return writer.AddEntry(entry, text, error);
    std::string compressed;
    if (!deflates_->Deflate(text, compressed)) {
        error.Set(ErrorCode::LimitExceeded, "out of memory while compressing " + entry.name);
        return false;
    }
    return writer.AddCompressed(entry, text, compressed, error);
}

bool Workbook::Save(Error &error) noexcept
{
    if (!HasUnsavedChanges())
        return true;
    PendingReplace replace;
    if (!SaveUntilReplace(replace, error) || !replace.Finish(error))
        return false;
    opened_ = IdentityOf(path_); // our own copy now, for a later save
    for (size_t i = 0; i < loaded_.size(); ++i)
        savedRevisions_[i] = loaded_[i] ? loaded_[i]->Revision() : 0;
    savedPartsRevision_ = partsRevision_;
    return true;
}

bool Workbook::SaveUntilReplace(PendingReplace &replace, Error &error) noexcept
{
    if (!HasUnsavedChanges())
        return true;
    return NoThrow(error, false, [&] { return WritePackage(replace, error); });
}

} // namespace engine
