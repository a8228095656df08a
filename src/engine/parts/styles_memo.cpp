#include "parts/styles_memo.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <unordered_map>

namespace engine
{

namespace
{

std::size_t HashOf(const StyleValue &style)
{
    // The cell's own records tell nearly all values apart; equality decides.
    std::size_t hash = std::size_t(style.cell.numFmtId);
    for (const std::string *part : {&style.cell.xf, &style.cell.numFmtCode, &style.cell.font,
                                    &style.cell.fill, &style.cell.border})
        hash = hash * 31 + std::hash<std::string>()(*part);
    return hash;
}

// Pooled values are equal exactly when they are one; others need comparing.
bool SameValue(const std::shared_ptr<const StyleValue> &pooled,
               const std::shared_ptr<const StyleValue> &value)
{
    return pooled == value || *pooled == *value;
}

bool SameCall(const StylesRecord &a, const StyleCall &first, const StylesRecord &b,
              const StyleCall &second)
{
    if (first.kind != second.kind)
        return false;
    switch (first.kind) {
    case StyleCall::Kind::Intern:
        // Records hold pooled values, one copy per distinct value.
        return a.values[first.item] == b.values[second.item];
    case StyleCall::Kind::InternDxf:
        return a.texts[first.item] == b.texts[second.item];
    case StyleCall::Kind::Changed:
    case StyleCall::Kind::Serialise:
        return true;
    }
    return false;
}

// Whether `longer` answers every call of `shorter`.
bool StartsWith(const StylesRecord &longer, const StylesRecord &shorter)
{
    if (longer.original != shorter.original || longer.calls.size() < shorter.calls.size())
        return false;
    for (std::size_t i = 0; i < shorter.calls.size(); ++i)
        if (!SameCall(longer, longer.calls[i], shorter, shorter.calls[i]))
            return false;
    return true;
}

} // namespace

std::size_t StylesRecord::Bytes() const
{
    std::size_t bytes =
        original.size() + calls.size() * sizeof(StyleCall) + values.size() * sizeof(values.front());
    for (const std::string &text : texts)
        bytes += text.size();
    return bytes;
}

// Builds the record of a table worked on for real, each distinct style value
// held once: a transfer interns the same values on every sheet.
class StylesRecorder
{
  public:
    StylesRecorder(StyleTableMemo &memo, const std::string &original) : memo_(memo)
    {
        record_->original = original;
    }

    void Interned(const std::shared_ptr<const StyleValue> &style, int index)
    {
        Add(StyleCall::Kind::Intern, ValueIndex(style, index), index);
    }
    void InternedDxf(const std::string &dxf, int index)
    {
        Add(StyleCall::Kind::InternDxf, TextIndex(dxf), index);
    }
    void Answered(bool changed) { Add(StyleCall::Kind::Changed, 0, changed ? 1 : 0); }
    void Serialised(const std::string &text)
    {
        Add(StyleCall::Kind::Serialise, TextIndex(text), 0);
    }

    std::shared_ptr<const StylesRecord> Finish() { return std::move(record_); }

  private:
    void Add(StyleCall::Kind kind, std::size_t item, int result)
    {
        record_->calls.push_back({kind, item, result});
    }
    std::size_t ValueIndex(const std::shared_ptr<const StyleValue> &style, int index)
    {
        // Equal values intern to equal indices, so only those need comparing.
        const std::size_t slot = std::size_t(index);
        if (slot >= lastWithIndex_.size())
            lastWithIndex_.resize(slot + 1, kNone);
        for (std::size_t at = lastWithIndex_[slot]; at != kNone; at = earlierWithIndex_[at])
            if (SameValue(record_->values[at], style))
                return at;
        earlierWithIndex_.push_back(lastWithIndex_[slot]);
        lastWithIndex_[slot] = record_->values.size();
        record_->values.push_back(memo_.Pooled(style));
        return record_->values.size() - 1;
    }
    std::size_t TextIndex(const std::string &text)
    {
        record_->texts.push_back(text);
        return record_->texts.size() - 1;
    }

    StyleTableMemo &memo_;
    std::shared_ptr<StylesRecord> record_ = std::make_shared<StylesRecord>();
    // Values by the index they interned to, as chains through the values:
    // the last value per index, and per value the one before it.
    static constexpr std::size_t kNone = std::size_t(-1);
    std::vector<std::size_t> lastWithIndex_;
    std::vector<std::size_t> earlierWithIndex_;
};

std::vector<StyleTableMemo::Record> StyleTableMemo::RecordsOf(const std::string &original)
{
    std::vector<Record> found;
    std::list<Record> used;
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = records_.begin(); it != records_.end();) {
        const auto next = std::next(it);
        if ((*it)->original == original) {
            found.push_back(*it);
            used.splice(used.end(), records_, it);
        }
        it = next;
    }
    records_.splice(records_.end(), used); // now the most recently used
    return found;
}

std::shared_ptr<const StyleValue>
StyleTableMemo::Pooled(const std::shared_ptr<const StyleValue> &value)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // While a kept value lives, nothing else can be at its address.
        const auto kept = pooledAt_.find(value.get());
        if (kept != pooledAt_.end() && kept->second.lock() == value)
            return value;
    }
    const std::size_t hash = HashOf(*value);
    std::lock_guard<std::mutex> lock(mutex_);
    const auto [first, last] = pool_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        std::shared_ptr<const StyleValue> pooled = it->second.lock();
        if (pooled && *pooled == *value)
            return pooled;
    }
    pool_.emplace(hash, value);
    pooledAt_[value.get()] = value;
    return value;
}

void StyleTableMemo::Keep(Record record)
{
    if (Covered(*record) || record->Bytes() > budget_)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    bytes_ += record->Bytes();
    records_.push_back(std::move(record));
    DropBeyondBudget();
}

bool StyleTableMemo::Covered(const StylesRecord &record)
{
    std::list<Record> kept;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        kept = records_;
    }
    // Compared unlocked: kept records never change, and one that another
    // thread keeps meanwhile at worst stays twice.
    return std::any_of(kept.begin(), kept.end(),
                       [&](const Record &other) { return StartsWith(*other, record); });
}

void StyleTableMemo::DropBeyondBudget()
{
    while (bytes_ > budget_) {
        bytes_ -= records_.front()->Bytes();
        records_.pop_front();
    }
    for (auto it = pool_.begin(); it != pool_.end();)
        it = it->second.expired() ? pool_.erase(it) : std::next(it);
    for (auto it = pooledAt_.begin(); it != pooledAt_.end();)
        it = it->second.expired() ? pooledAt_.erase(it) : std::next(it);
}

MemoisedStyles::MemoisedStyles(StyleTableMemo *memo) : memo_(memo) {}

MemoisedStyles::~MemoisedStyles()
{
    if (!recorder_)
        return;
    std::shared_ptr<const StylesRecord> record = recorder_->Finish();
    if (!record->calls.empty())
        memo_->Keep(std::move(record));
}

bool MemoisedStyles::Load(const std::string &xml, Error &error)
{
    if (memo_)
        candidates_ = memo_->RecordsOf(xml);
    return !candidates_.empty() || StartLive(xml, error);
}

bool MemoisedStyles::StartLive(const std::string &xml, Error &error)
{
    auto part = std::make_unique<StylesPart>();
    if (!part->Load(xml, error))
        return false;
    live_ = std::move(part);
    if (memo_)
        recorder_ = std::make_unique<StylesRecorder>(*memo_, xml);
    return true;
}

// The real table in the state the calls answered so far left it in.
void MemoisedStyles::GoLive()
{
    const StyleTableMemo::Record source = candidates_.front();
    candidates_.clear();
    // A recorded text was loaded once, so it loads again; should it not, the
    // table stays unloaded and Sound() says so.
    if (!StartLive(source->original, liveError_))
        return;
    for (std::size_t i = 0; i < answered_; ++i)
        Replay(*source, source->calls[i]);
}

void MemoisedStyles::Replay(const StylesRecord &record, const StyleCall &call)
{
    switch (call.kind) {
    case StyleCall::Kind::Intern:
        LiveIntern(record.values[call.item]);
        break;
    case StyleCall::Kind::InternDxf:
        LiveInternDxf(record.texts[call.item]);
        break;
    case StyleCall::Kind::Changed:
        LiveChanged();
        break;
    case StyleCall::Kind::Serialise:
        LiveSerialise();
        break;
    }
}

// The recorded answer to this call, in the first remaining candidate, when
// some candidate's next call is of `kind` and `same` finds its argument equal;
// otherwise null, and the table is live from here on.
template <typename Same>
const StyleCall *MemoisedStyles::Recorded(StyleCall::Kind kind, const Same &same)
{
    if (candidates_.empty())
        return nullptr;
    const auto differs = [&](const StyleTableMemo::Record &record) {
        if (answered_ >= record->calls.size())
            return true;
        const StyleCall &call = record->calls[answered_];
        return call.kind != kind || !same(*record, call);
    };
    const auto match = std::find_if_not(candidates_.begin(), candidates_.end(), differs);
    if (match == candidates_.end()) {
        GoLive();
        return nullptr;
    }
    candidates_.erase(std::remove_if(match + 1, candidates_.end(), differs), candidates_.end());
    candidates_.erase(candidates_.begin(), match);
    return &candidates_.front()->calls[answered_++];
}

int MemoisedStyles::Intern(const StyleValue &style)
{
    return InternShared(std::make_shared<const StyleValue>(style));
}

int MemoisedStyles::InternShared(const std::shared_ptr<const StyleValue> &style)
{
    const StyleCall *call =
        Recorded(StyleCall::Kind::Intern, [&](const StylesRecord &record, const StyleCall &call) {
            return SameValue(record.values[call.item], style);
        });
    return call ? call->result : LiveIntern(style);
}

int MemoisedStyles::InternDxf(const std::string &dxf)
{
    const StyleCall *call = Recorded(StyleCall::Kind::InternDxf,
                                     [&](const StylesRecord &record, const StyleCall &call) {
                                         return record.texts[call.item] == dxf;
                                     });
    return call ? call->result : LiveInternDxf(dxf);
}

bool MemoisedStyles::Changed()
{
    const StyleCall *call = Recorded(StyleCall::Kind::Changed,
                                     [](const StylesRecord &, const StyleCall &) { return true; });
    return call ? call->result != 0 : LiveChanged();
}

std::string MemoisedStyles::Serialise()
{
    const StyleCall *call = Recorded(StyleCall::Kind::Serialise,
                                     [](const StylesRecord &, const StyleCall &) { return true; });
    return call ? candidates_.front()->texts[call->item] : LiveSerialise();
}

int MemoisedStyles::LiveIntern(const std::shared_ptr<const StyleValue> &style)
{
    if (!live_)
        return 0;
    const int index = live_->Intern(*style);
    if (recorder_)
        recorder_->Interned(style, index);
    return index;
}

int MemoisedStyles::LiveInternDxf(const std::string &dxf)
{
    if (!live_)
        return 0;
    const int index = live_->InternDxf(dxf);
    if (recorder_)
        recorder_->InternedDxf(dxf, index);
    return index;
}

bool MemoisedStyles::LiveChanged()
{
    if (!live_)
        return false;
    const bool changed = live_->Changed();
    if (recorder_)
        recorder_->Answered(changed);
    return changed;
}

std::string MemoisedStyles::LiveSerialise()
{
    if (!live_)
        return {};
    std::string text = live_->Serialise();
    if (recorder_)
        recorder_->Serialised(text);
    return text;
}

const StylesPart *MemoisedStyles::Live(Error &error)
{
    // Reads are not recorded: they change nothing, so the record goes on
    // without them, but they need the real table.
    if (!candidates_.empty())
        GoLive();
    if (!Sound(error))
        return nullptr;
    return live_.get();
}

bool MemoisedStyles::Sound(Error &error) const
{
    if (!liveError_)
        return true;
    error = liveError_;
    return false;
}

} // namespace engine
