#pragma once
// The one language of the program's own texts, shared by the window and
// sheetwright-cli: Chinese, the texts as written, where the locale is Chinese
// or not set (C, POSIX, empty); English for every other locale.

#include <QString>

enum class TextLanguage { Chinese, English };

// Decides from the values of LC_ALL, LC_MESSAGES and LANG; the first one
// that is set wins, as it does for the C library.
TextLanguage LanguageOfLocale(const QString &lcAll, const QString &lcMessages, const QString &lang);

// This process's language, read from its environment once.
TextLanguage ProcessLanguage();
