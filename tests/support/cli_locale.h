#pragma once
// The environment a test runs sheetwright-cli in. The CLI speaks Chinese or
// English by the locale, so every test says which one it expects.

#include <QProcessEnvironment>
#include <QString>

namespace testsupport
{

// The English the tests read by default; the locale need not be installed.
inline const QString kEnglishLocale = QStringLiteral("en_US.UTF-8");

// This process's environment with no locale variable but LC_ALL=locale;
// none at all for an empty `locale` (the CLI then speaks Chinese).
QProcessEnvironment CliEnvironment(const QString &locale);

} // namespace testsupport
