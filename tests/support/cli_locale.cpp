#include "cli_locale.h"

namespace testsupport
{

QProcessEnvironment CliEnvironment(const QString &locale)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"})
        environment.remove(QString::fromLatin1(name));
    if (!locale.isEmpty())
        environment.insert(QStringLiteral("LC_ALL"), locale);
    return environment;
}

} // namespace testsupport
