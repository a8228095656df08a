#include "package/deflate_memo.h"

#include "package/deflate_codec.h"

namespace engine
{
namespace
{

// Below this, looking a text up costs about what compressing it does.
constexpr std::size_t kSmallestRemembered = 4096;

} // namespace

bool DeflateMemo::Deflate(std::string_view text, std::string &compressed)
{
    if (text.size() < kSmallestRemembered)
        return DeflateForZip(text, compressed);
    if (Find(text, compressed))
        return true;
    // Compressed outside the lock, so that the lanes do not wait on each other.
    if (!DeflateForZip(text, compressed))
        return false;
    Keep(text, compressed);
    return true;
}

bool DeflateMemo::Find(std::string_view text, std::string &compressed)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
        if (entry->text != text)
            continue;
        entries_.splice(entries_.begin(), entries_, entry);
        compressed = entries_.front().compressed;
        return true;
    }
    return false;
}

void DeflateMemo::Keep(std::string_view text, const std::string &compressed)
{
    const std::size_t size = text.size() + compressed.size();
    if (size > budget_)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Entry &entry : entries_)
        if (entry.text == text)
            return; // another lane was first
    entries_.push_front(Entry{std::string(text), compressed});
    bytes_ += size;
    while (bytes_ > budget_) {
        bytes_ -= entries_.back().text.size() + entries_.back().compressed.size();
        entries_.pop_back();
    }
}

} // namespace engine
