#include "backends/office/uno_text.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace office
{

QString FileUrlText(const QString &path)
{
    const QByteArray bytes = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    return QStringLiteral("file://") + QString::fromLatin1(QUrl::toPercentEncoding(bytes, "/"));
}

} // namespace office
