#include "cli/file_list.h"

#include "cli/cli_texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

QStringList ReadFileList(QIODevice &list)
{
    QStringList paths;
    while (!list.atEnd()) {
        QByteArray line = list.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QString path = QFile::decodeName(line);
        paths << QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    }
    return paths;
}

bool ReadFileListFrom(const QString &name, QStringList &paths, QString &error)
{
    QFile list(name);
    const bool opened = name == QLatin1String("-") ? list.open(stdin, QIODevice::ReadOnly)
                                                   : list.open(QIODevice::ReadOnly);
    if (!opened) {
        error = Say("无法读取文件列表 %1：%2", "cannot read the file list %1: %2")
                    .arg(name, list.errorString());
        return false;
    }
    paths = ReadFileList(list);
    return true;
}
