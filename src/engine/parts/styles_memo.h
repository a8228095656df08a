#pragma once
// Interning the same template formats into the same style table text gives
// the same indices and the same text every time, and a run meets hundreds of
// workbooks whose style tables are byte-identical. StyleTableMemo keeps what
// the calls on a few such texts returned; MemoisedStyles answers a workbook's
// calls from it while they repeat a recorded sequence, and works on the real
// StylesPart from the first call that does not.

#include "engine/error.h"
#include "parts/styles_part.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine
{

// One call on a style table and what it returned.
struct StyleCall {
    enum class Kind : std::uint8_t { Intern, InternDxf, Changed, Serialise };
    Kind kind = Kind::Intern;
    // Intern: the argument's index in values; InternDxf: in texts;
    // Serialise: the result's index in texts.
    std::size_t item = 0;
    int result = 0; // Intern and InternDxf: the index; Changed: 0 or 1
};

// The calls made, in order, on a style table loaded from `original`.
struct StylesRecord {
    std::string original;
    // From Pooled() of the memo that keeps the record, so equal values are
    // the same pointer.
    std::vector<std::shared_ptr<const StyleValue>> values;
    std::vector<std::string> texts;
    std::vector<StyleCall> calls;

    // What the record holds beyond the values it shares with other records.
    std::size_t Bytes() const;
};

// Records shared by the threads of a run, the least recently used dropped
// past a memory budget. A record never changes once kept.
class StyleTableMemo
{
  public:
    using Record = std::shared_ptr<const StylesRecord>;

    explicit StyleTableMemo(std::size_t budgetBytes = std::size_t(12) << 20) : budget_(budgetBytes)
    {
    }

    std::vector<Record> RecordsOf(const std::string &original);
    // Keeps `record` unless a kept one starts with the same calls.
    void Keep(Record record);
    // The one copy of `value` that all records hold: a run's records hold
    // the formats of the same template. A value not met before is kept
    // itself, and found again by its address while it lives.
    std::shared_ptr<const StyleValue> Pooled(const std::shared_ptr<const StyleValue> &value);

  private:
    bool Covered(const StylesRecord &record);
    void DropBeyondBudget();

    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::mutex mutex_;
    std::list<Record> records_; // least recently used first
    std::unordered_multimap<std::size_t, std::weak_ptr<const StyleValue>> pool_;
    std::unordered_map<const StyleValue *, std::weak_ptr<const StyleValue>> pooledAt_;
};

class StylesRecorder;

// A workbook's style table, answered from a memo while it can be. The record
// of a table worked on for real goes to the memo when it is destroyed.
class MemoisedStyles : public StyleInterner
{
  public:
    // No memo: always the real table. The memo outlives this table.
    explicit MemoisedStyles(StyleTableMemo *memo);
    ~MemoisedStyles() override;
    MemoisedStyles(const MemoisedStyles &) = delete;
    MemoisedStyles &operator=(const MemoisedStyles &) = delete;

    bool Load(const std::string &xml, Error &error);

    int Intern(const StyleValue &style) override;
    int InternShared(const std::shared_ptr<const StyleValue> &style) override;
    int InternDxf(const std::string &dxf) override;
    bool Changed();
    std::string Serialise();

    // The real table, for reads; null with the reason when it cannot be had.
    const StylesPart *Live(Error &error);
    // False with the reason when the real table, needed once the calls left
    // the record, could not be loaded: the calls' results are then void.
    bool Sound(Error &error) const;

  private:
    template <typename Same> const StyleCall *Recorded(StyleCall::Kind kind, const Same &same);
    bool StartLive(const std::string &xml, Error &error);
    void GoLive();
    void Replay(const StylesRecord &record, const StyleCall &call);
    int LiveIntern(const std::shared_ptr<const StyleValue> &style);
    int LiveInternDxf(const std::string &dxf);
    bool LiveChanged();
    std::string LiveSerialise();

    StyleTableMemo *memo_;
    // Records whose calls so far are this table's calls so far, all of them
    // answered from the first; empty once the table is live.
    std::vector<StyleTableMemo::Record> candidates_;
    std::size_t answered_ = 0;
    std::unique_ptr<StylesPart> live_;
    std::unique_ptr<StylesRecorder> recorder_;
    Error liveError_;
};

} // namespace engine
