#include "settings/file_replace.h"
#include "settings/settings_store.h"
#include "settings/settings_text.h"

#include <cstring>
#include <string>

namespace
{

// Everything a later ReadSettingsText can hold.
constexpr std::size_t kSettingsTextMax = kSettingsBufferSize - 1;

std::string ComposeSettingsText(std::string_view oldText, std::string_view key,
                                const std::string &newLine)
{
    const std::size_t found = FindSettingKey(oldText, key);
    if (found != std::string_view::npos) {
        std::string text(oldText.substr(0, found));
        text += newLine;
        const std::size_t lineEnd = FindLineBreak(oldText, found);
        if (lineEnd != std::string_view::npos)
            text += oldText.substr(lineEnd + 1);
        return text;
    }
    std::string text(oldText);
    if (!text.empty() && text.back() != '\n')
        text += "\r\n";
    return text + newLine;
}

// A value a lookup could not return whole would only replace a good one with
// nothing; a line break inside it would even start a line of another key.
bool ReadsBackWhole(std::string_view value)
{
    return value.size() < kSettingValueSize && value.find('\n') == std::string_view::npos &&
           WithoutCarriageReturn(value).size() == value.size();
}

} // namespace

int SetSettingValue(const char *path, const char *key, const char *value)
{
    if (!ReadsBackWhole(value))
        return -1;
    const std::string newLine = std::string(key) + "=" + value + "\r\n";
    if (newLine.size() > kSettingLineMax)
        return -1;
    std::string oldText;
    const bool exists = FileExists(path);
    if (exists && !ReadWholeFile(path, kSettingsTextMax, oldText))
        return oldText.size() > kSettingsTextMax ? -1 : -2;
    const std::string newText = ComposeSettingsText(oldText, key, newLine);
    if (newText.size() > kSettingsTextMax)
        return -1;
    const bool written =
        exists ? ReplaceFileContents(path, newText) : CreateFileWithContents(path, newText);
    return written ? 0 : -2;
}
