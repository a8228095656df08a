#include "cfb/stream_replace.h"

#include "base/engine_limits.h"
#include "cfb/cfb_format.h"
#include "cfb/sector_chain.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace engine::cfb
{
namespace
{

using Ids = std::vector<std::uint32_t>;

// What the new content needs beyond the sectors it keeps.
struct Growth {
    size_t keptSectors = 0; // the old chain's first ones, in the new content's table
    std::uint64_t newSectors = 0;
    std::uint64_t newMiniSectors = 0;
    std::uint64_t miniStreamSectors = 0; // sectors the mini stream gains
    std::uint64_t miniFatSectors = 0;
    std::uint64_t fatSectors = 0;
    std::uint64_t difatSectors = 0;

    std::uint64_t Appended() const
    {
        return newSectors + miniStreamSectors + miniFatSectors + fatSectors + difatSectors;
    }
};

bool AllFree(const Ids &table, std::uint64_t from)
{
    return std::all_of(table.begin() + std::min<std::uint64_t>(from, table.size()), table.end(),
                       [](std::uint32_t id) { return id == kFreeSector; });
}

// How many of `needed` sectors are not among the `held` ones.
std::uint64_t Missing(std::uint64_t needed, std::uint64_t held)
{
    return needed > held ? needed - held : 0;
}

void Link(Ids &table, const Ids &chain)
{
    for (size_t i = 0; i < chain.size(); ++i)
        table[chain[i]] = i + 1 < chain.size() ? chain[i + 1] : kEndOfChain;
}

class Rewrite
{
  public:
    Rewrite(std::string_view bytes, const CompoundTables &tables, const StreamExtent &old,
            std::string_view content)
        : out_(bytes), tables_(tables), old_(old), content_(content),
          mini_(content.size() < kMiniStreamCutoff), nextSector_(tables.sectorCount)
    {
    }

    bool Run(std::string &file, Error &error);

  private:
    size_t Unit() const { return mini_ ? kMiniSectorSize : tables_.sectorSize; }
    bool Plan(Growth &growth, Error &error) const;
    bool PlanMiniStream(Growth &growth, std::uint64_t added, Error &error) const;
    void PlanTables(Growth &growth) const;
    Ids Allocate(std::uint64_t count);
    void AddDifatSectors(const Ids &ids);
    void AddFatSectors(const Ids &ids);
    void ExtendChain(Ids &chain, std::uint64_t count, size_t firstAt);
    void GrowMiniStream(const Growth &growth);
    void FreeOldSectors(size_t kept);
    Ids BuildChain(const Growth &growth);
    void WriteContent(const Ids &chain, size_t kept);
    void StoreTable(const Ids &table, const Ids &sectors);
    void SetStreamSize(size_t entry, std::uint64_t size);
    void ZeroRange(size_t at, size_t size);

    std::string out_;
    CompoundTables tables_; // follows the tables as they grow
    const StreamExtent &old_;
    std::string_view content_;
    bool mini_;
    std::uint64_t nextSector_;
};

bool Rewrite::Plan(Growth &growth, Error &error) const
{
    const std::uint64_t needed = SectorsFor(content_.size(), Unit());
    growth.keptSectors = old_.mini == mini_ ? std::min<size_t>(needed, old_.chain.size()) : 0;
    const std::uint64_t added = needed - growth.keptSectors;
    if (!mini_)
        growth.newSectors = added;
    else if (added > 0 && !PlanMiniStream(growth, added, error))
        return false;
    if (growth.Appended() == 0)
        return true;
    if (!AllFree(tables_.fat, tables_.sectorCount)) {
        error.Set(ErrorCode::Damaged, "the compound file is cut short: its FAT describes "
                                      "sectors past its end");
        return false;
    }
    PlanTables(growth);
    const std::uint64_t sectors = tables_.sectorCount + growth.Appended();
    if ((sectors + 1) * tables_.sectorSize > limits::kMaxCompoundFileSize) {
        error.Set(ErrorCode::LimitExceeded, "the compound file would grow too large");
        return false;
    }
    return true;
}

// New mini sectors go after the mini stream's end; its chain and the MiniFAT
// may need more sectors for them.
bool Rewrite::PlanMiniStream(Growth &growth, std::uint64_t added, Error &error) const
{
    const std::uint64_t miniBase = SectorsFor(tables_.miniStreamSize, kMiniSectorSize);
    if (!AllFree(tables_.miniFat, miniBase)) {
        error.Set(ErrorCode::Damaged, "the compound file's MiniFAT describes mini sectors "
                                      "past the end of its mini stream");
        return false;
    }
    growth.newMiniSectors = added;
    const std::uint64_t miniCount = miniBase + added;
    growth.miniStreamSectors = Missing(SectorsFor(miniCount * kMiniSectorSize, tables_.sectorSize),
                                       tables_.miniStreamSectors.size());
    growth.miniFatSectors =
        Missing(SectorsFor(miniCount, tables_.IdsPerSector()), tables_.miniFatSectors.size());
    return true;
}

// FAT sectors cover themselves and DIFAT sectors too: grow both until they fit.
void Rewrite::PlanTables(Growth &growth) const
{
    const std::uint64_t ids = tables_.IdsPerSector();
    for (;;) {
        const std::uint64_t sectors = tables_.sectorCount + growth.Appended();
        const std::uint64_t fatAdded = Missing(SectorsFor(sectors, ids), tables_.fatSectors.size());
        const std::uint64_t fatCount = tables_.fatSectors.size() + fatAdded;
        const std::uint64_t difatAdded =
            fatCount > kHeaderDifatEntries
                ? Missing(SectorsFor(fatCount - kHeaderDifatEntries, ids - 1),
                          tables_.difatSectors.size())
                : 0;
        if (fatAdded == growth.fatSectors && difatAdded == growth.difatSectors)
            return;
        growth.fatSectors = fatAdded;
        growth.difatSectors = difatAdded;
    }
}

Ids Rewrite::Allocate(std::uint64_t count)
{
    Ids ids;
    for (; count > 0; --count)
        ids.push_back(std::uint32_t(nextSector_++));
    return ids;
}

void Rewrite::AddDifatSectors(const Ids &ids)
{
    const size_t next = tables_.IdsPerSector() - 1;
    for (const std::uint32_t id : ids) {
        const size_t at = tables_.SectorOffset(id);
        std::fill_n(out_.begin() + at, tables_.sectorSize, char(0xFF));
        SetLe32(out_, at + 4 * next, kEndOfChain);
        if (tables_.difatSectors.empty())
            SetLe32(out_, kFirstDifatSectorAt, id);
        else
            SetLe32(out_, tables_.SectorOffset(tables_.difatSectors.back()) + 4 * next, id);
        tables_.difatSectors.push_back(id);
        tables_.fat[id] = kDifatSector;
    }
    if (!ids.empty())
        SetLe32(out_, kDifatSectorCountAt, std::uint32_t(tables_.difatSectors.size()));
}

void Rewrite::AddFatSectors(const Ids &ids)
{
    const size_t perDifat = tables_.IdsPerSector() - 1;
    for (const std::uint32_t id : ids) {
        const size_t slot = tables_.fatSectors.size();
        const size_t at = slot < kHeaderDifatEntries
                              ? kHeaderDifatAt + 4 * slot
                              : tables_.SectorOffset(
                                    tables_.difatSectors[(slot - kHeaderDifatEntries) / perDifat]) +
                                    4 * ((slot - kHeaderDifatEntries) % perDifat);
        SetLe32(out_, at, id);
        tables_.fatSectors.push_back(id);
        tables_.fat[id] = kFatSector;
    }
    if (!ids.empty())
        SetLe32(out_, kFatSectorCountAt, std::uint32_t(tables_.fatSectors.size()));
}

// Appends sectors to a table's chain; `firstAt` holds its first sector when it had none.
void Rewrite::ExtendChain(Ids &chain, std::uint64_t count, size_t firstAt)
{
    const Ids added = Allocate(count);
    if (added.empty())
        return;
    if (chain.empty())
        SetLe32(out_, firstAt, added.front());
    chain.insert(chain.end(), added.begin(), added.end());
    Link(tables_.fat, chain);
}

void Rewrite::GrowMiniStream(const Growth &growth)
{
    if (growth.newMiniSectors == 0)
        return;
    ExtendChain(tables_.miniStreamSectors, growth.miniStreamSectors,
                tables_.EntryOffset(0) + kStartSectorAt);
    tables_.miniStreamSize =
        (SectorsFor(tables_.miniStreamSize, kMiniSectorSize) + growth.newMiniSectors) *
        kMiniSectorSize;
    SetStreamSize(0, tables_.miniStreamSize);
    if (growth.miniFatSectors == 0)
        return;
    ExtendChain(tables_.miniFatSectors, growth.miniFatSectors, kFirstMiniFatSectorAt);
    tables_.miniFat.resize(tables_.miniFatSectors.size() * tables_.IdsPerSector(), kFreeSector);
    SetLe32(out_, kMiniFatSectorCountAt, std::uint32_t(tables_.miniFatSectors.size()));
}

// The old chain's sectors past the kept ones are freed and their bytes zeroed.
void Rewrite::FreeOldSectors(size_t kept)
{
    Ids &table = old_.mini ? tables_.miniFat : tables_.fat;
    for (size_t i = kept; i < old_.chain.size(); ++i) {
        const std::uint32_t id = old_.chain[i];
        table[id] = kFreeSector;
        if (old_.mini)
            ZeroRange(tables_.MiniSectorOffset(id), kMiniSectorSize);
        else
            ZeroRange(tables_.SectorOffset(id), tables_.sectorSize);
    }
}

Ids Rewrite::BuildChain(const Growth &growth)
{
    Ids chain(old_.chain.begin(), old_.chain.begin() + growth.keptSectors);
    if (mini_) {
        const std::uint64_t end = SectorsFor(tables_.miniStreamSize, kMiniSectorSize);
        for (std::uint64_t id = end - growth.newMiniSectors; id < end; ++id)
            chain.push_back(std::uint32_t(id));
    } else {
        const Ids added = Allocate(growth.newSectors);
        chain.insert(chain.end(), added.begin(), added.end());
    }
    Link(mini_ ? tables_.miniFat : tables_.fat, chain);
    return chain;
}

void Rewrite::WriteContent(const Ids &chain, size_t kept)
{
    const size_t unit = Unit();
    for (size_t i = 0; i < chain.size(); ++i) {
        const size_t at =
            mini_ ? tables_.MiniSectorOffset(chain[i]) : tables_.SectorOffset(chain[i]);
        const size_t begin = i * unit;
        const size_t piece = std::min(unit, content_.size() - begin);
        if (out_.size() < at + piece) // a short last sector of the file, completed
            out_.resize(SectorsFor(at + piece, tables_.sectorSize) * tables_.sectorSize, '\0');
        out_.replace(at, piece, content_.substr(begin, piece));
        const size_t oldPiece = i < kept && old_.size > begin
                                    ? size_t(std::min<std::uint64_t>(unit, old_.size - begin))
                                    : 0;
        if (oldPiece > piece)
            ZeroRange(at + piece, oldPiece - piece);
    }
}

void Rewrite::StoreTable(const Ids &table, const Ids &sectors)
{
    const size_t ids = tables_.IdsPerSector();
    for (size_t s = 0; s < sectors.size(); ++s)
        for (size_t i = 0; i < ids; ++i)
            SetLe32(out_, tables_.SectorOffset(sectors[s]) + 4 * i, table[s * ids + i]);
}

void Rewrite::SetStreamSize(size_t entry, std::uint64_t size)
{
    const size_t at = tables_.EntryOffset(entry) + kStreamSizeAt;
    SetLe32(out_, at, std::uint32_t(size));
    if (tables_.majorVersion != 3)
        SetLe32(out_, at + 4, std::uint32_t(size >> 32));
}

void Rewrite::ZeroRange(size_t at, size_t size)
{
    if (at < out_.size())
        std::fill_n(out_.begin() + at, std::min(size, out_.size() - at), '\0');
}

bool Rewrite::Run(std::string &file, Error &error)
{
    if (content_.size() > limits::kMaxCompoundFileSize) {
        error.Set(ErrorCode::LimitExceeded, "the new stream is too large");
        return false;
    }
    Growth growth;
    if (!Plan(growth, error))
        return false;
    if (growth.Appended() > 0) {
        out_.resize((tables_.sectorCount + growth.Appended() + 1) * tables_.sectorSize, '\0');
        tables_.fat.resize((tables_.fatSectors.size() + growth.fatSectors) * tables_.IdsPerSector(),
                           kFreeSector);
    }
    GrowMiniStream(growth);
    FreeOldSectors(growth.keptSectors);
    const Ids chain = BuildChain(growth);
    const Ids fatSectors = Allocate(growth.fatSectors);
    AddDifatSectors(Allocate(growth.difatSectors));
    AddFatSectors(fatSectors);
    WriteContent(chain, growth.keptSectors);
    StoreTable(tables_.fat, tables_.fatSectors);
    StoreTable(tables_.miniFat, tables_.miniFatSectors);

    const size_t entry = tables_.EntryOffset(old_.entry);
    if (!chain.empty())
        SetLe32(out_, entry + kStartSectorAt, chain.front());
    else if (old_.size != 0)
        SetLe32(out_, entry + kStartSectorAt, kEndOfChain);
    SetStreamSize(old_.entry, content_.size());
    file = std::move(out_);
    return true;
}

} // namespace

bool ReplaceStream(std::string_view bytes, const CompoundTables &tables, const StreamExtent &old,
                   std::string_view content, std::string &file, Error &error)
{
    return Rewrite(bytes, tables, old, content).Run(file, error);
}

} // namespace engine::cfb
