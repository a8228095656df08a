#pragma once
// Byte-level rules shared by the lookup and the rewrite of the settings text.

#include <string_view>

// Position of the first "key=" in `text`, by a plain, case-sensitive search
// that is not anchored to a line start; npos when absent.
std::size_t FindSettingKey(std::string_view text, std::string_view key);

// Position of the first CR LF at or after `from`; npos when none follows.
std::size_t FindLineBreak(std::string_view text, std::size_t from);

// `text` without leading and trailing blanks and tabs.
std::string_view TrimBlanks(std::string_view text);
