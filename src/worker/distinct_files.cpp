#include "worker/distinct_files.h"

#include "engine/file_identity.h"

#include <QFile>

bool FileIdentities::IsNew(const QString &path)
{
    const auto identity = engine::IdentityOf(QFile::encodeName(path).toStdString());
    if (!identity) {
        const bool isNew = !missing_.contains(path);
        missing_.insert(path);
        return isNew;
    }
    return files_.emplace(identity->device, identity->inode).second;
}

QStringList DistinctFiles(const QStringList &paths)
{
    FileIdentities identities;
    QStringList distinct;
    for (const QString &path : paths)
        if (identities.IsNew(path))
            distinct << path;
    return distinct;
}
