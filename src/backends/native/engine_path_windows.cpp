#include "backends/native/engine_path.h"

#include <QDir>

std::string EnginePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toUtf8().toStdString();
}
