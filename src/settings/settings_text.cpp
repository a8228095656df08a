#include "settings/settings_text.h"

#include <string>

std::size_t FindSettingKey(std::string_view text, std::string_view key)
{
    std::string pattern(key);
    pattern += '=';
    return text.find(pattern);
}

std::size_t FindLineBreak(std::string_view text, std::size_t from)
{
    return text.find('\n', from);
}

std::string_view WithoutCarriageReturn(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::string_view TrimBlanks(std::string_view text)
{
    const char *blanks = " \t";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}
