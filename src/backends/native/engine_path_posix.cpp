#include "backends/native/engine_path.h"

#include <QFile>

std::string EnginePath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}
