#include "xls_fixtures.h"

#include "python_check.h"

#include <QFile>
#include <QJsonDocument>

namespace
{

QString Script(const char *name)
{
    QFile file(QStringLiteral(OFFICE_TEST_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool RunScript(const char *name, const QString &folder)
{
    const testsupport::PythonResult result = testsupport::RunPython(Script(name), {folder});
    if (!result.ok)
        qWarning("%s", qPrintable(result.errors));
    return result.ok;
}

} // namespace

bool MakeXlsFixtures(const QString &folder)
{
    return RunScript("xls_fixtures.py", folder);
}

bool MakeRefusalFixtures(const QString &folder)
{
    return RunScript("refusal_fixtures.py", folder);
}

QJsonObject XlsSnapshot(const QString &path)
{
    const testsupport::PythonResult result =
        testsupport::RunPython(Script("xls_snapshot.py"), {path});
    return result.ok ? QJsonDocument::fromJson(result.output.toUtf8()).object() : QJsonObject();
}
