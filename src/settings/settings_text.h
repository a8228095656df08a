#pragma once
// Byte-level rules shared by the lookup and the rewrite of the settings text.

#include <string_view>

// Position of the first "key=" in `text`, by a plain, case-sensitive search
// that is not anchored to a line start; npos when absent.
std::size_t FindSettingKey(std::string_view text, std::string_view key);

// Position of the first LF at or after `from`, which ends a line whether a CR
// stands before it (as written) or not (as a hand-edited file may have it);
// npos when none follows.
std::size_t FindLineBreak(std::string_view text, std::size_t from);

// A line's text up to its LF, without the CR that may end it.
std::string_view WithoutCarriageReturn(std::string_view line);

// `text` without leading and trailing blanks and tabs.
std::string_view TrimBlanks(std::string_view text);
