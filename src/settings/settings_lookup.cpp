#include "settings/settings_store.h"
#include "settings/settings_text.h"

void GetSettingValue(char *out, const char *text, const char *key)
{
    out[0] = '\0';
    const std::string_view whole = TrimBlanks(text);
    const std::string_view keyText(key);
    const std::size_t found = FindSettingKey(whole, keyText);
    if (found == std::string_view::npos)
        return;
    const std::size_t valueStart = found + keyText.size() + 1;
    const std::size_t lineEnd = FindLineBreak(whole, valueStart);
    if (lineEnd == std::string_view::npos)
        return;
    const std::string_view value =
        TrimBlanks(WithoutCarriageReturn(whole.substr(valueStart, lineEnd - valueStart)));
    // A cut-off path would name another file; a value that does not fit reads as absent.
    if (value.size() >= kSettingValueSize)
        return;
    value.copy(out, value.size());
    out[value.size()] = '\0';
}
