#include "worker/text_language.h"

namespace
{

bool IsChineseOrUnset(const QString &locale)
{
    return locale.isEmpty() || locale == QLatin1String("C") ||
           locale.startsWith(QLatin1String("C.")) || locale == QLatin1String("POSIX") ||
           locale.startsWith(QLatin1String("zh"));
}

} // namespace

TextLanguage LanguageOfLocale(const QString &lcAll, const QString &lcMessages, const QString &lang)
{
    for (const QString &value : {lcAll, lcMessages, lang}) {
        if (!value.isEmpty())
            return IsChineseOrUnset(value) ? TextLanguage::Chinese : TextLanguage::English;
    }
    return TextLanguage::Chinese;
}

TextLanguage ProcessLanguage()
{
    static const TextLanguage language =
        LanguageOfLocale(qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_MESSAGES"),
                         qEnvironmentVariable("LANG"));
    return language;
}
