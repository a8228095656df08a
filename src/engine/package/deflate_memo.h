#pragma once
// Deflated forms of part texts that many workbooks of one run write alike
// (a style table after the same transfer): each is compressed once and
// shared by the threads of the run.

#include <cstddef>
#include <list>
#include <mutex>
#include <string>
#include <string_view>

namespace engine
{

class DeflateMemo
{
  public:
    explicit DeflateMemo(std::size_t budgetBytes = std::size_t(4) << 20) : budget_(budgetBytes) {}

    // Raw deflate of `text`, as DeflateForZip; false only when memory runs out.
    bool Deflate(std::string_view text, std::string &compressed);

  private:
    struct Entry {
        std::string text;
        std::string compressed;
    };

    bool Find(std::string_view text, std::string &compressed);
    void Keep(std::string_view text, const std::string &compressed);

    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::mutex mutex_;
    std::list<Entry> entries_; // most recently used first
};

} // namespace engine
