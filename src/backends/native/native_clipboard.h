#pragma once
// What Copy() leaves for PasteSpecial in the native backend, application-wide
// like a clipboard. Snapshots are kept per template range and sheet revision:
// a template does not change during a run, so each of its ranges is read once.

#include "engine/cell_area.h"
#include "engine/transfer_state.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>

class NativeClipboard
{
  public:
    using Key = std::tuple<const void *, size_t, unsigned, std::uint32_t, std::uint32_t,
                           std::uint32_t, std::uint32_t>;

    static Key KeyOf(const void *book, size_t sheet, unsigned revision,
                     const engine::CellArea &area)
    {
        return {book,         sheet,          revision, area.firstRow, area.firstColumn,
                area.lastRow, area.lastColumn};
    }
    bool Select(const Key &key)
    {
        const auto found = cache_.find(key);
        current_ = found == cache_.end() ? nullptr : found->second;
        return current_ != nullptr;
    }
    void Store(const Key &key, std::shared_ptr<const engine::ClipboardSnapshot> snapshot)
    {
        current_ = cache_[key] = std::move(snapshot);
    }
    // The last Copy() failed: a paste now fails for that reason.
    void Fail(const std::string &reason)
    {
        current_ = nullptr;
        failure_ = reason;
    }
    void Clear() { Fail(std::string()); }
    const engine::ClipboardSnapshot *Current() const { return current_.get(); }
    // Why the last Copy() failed; empty when it did not, or none was made.
    const std::string &Failure() const { return failure_; }

  private:
    std::map<Key, std::shared_ptr<const engine::ClipboardSnapshot>> cache_;
    std::shared_ptr<const engine::ClipboardSnapshot> current_;
    std::string failure_;
};
