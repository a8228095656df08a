#include "backends/office/office_folders.h"

#include "backends/office/office_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <atomic>
#include <mutex>

namespace office
{
namespace
{

// The PID a folder name starts with ("<pid>-<serial>"), 0 when none.
long OwnerOf(const QString &folderName)
{
    return folderName.section(QLatin1Char('-'), 0, 0).toLong();
}

void RemoveFoldersOfDeadRuns(const QString &root)
{
    const QStringList names = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const long owner = OwnerOf(name);
        if (owner > 0 && owner != QCoreApplication::applicationPid() && !ProcessExists(owner))
            QDir(root + QLatin1Char('/') + name).removeRecursively();
    }
}

bool MakePrivateRoot(const QString &root)
{
    QDir().mkpath(root);
    const QFileInfo info(root);
    // In a shared /tmp, a folder someone else made is not ours to use.
    if (!info.isDir() || info.isSymLink() || info.ownerId() != CurrentUserId())
        return false;
    return QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

QString OfficeFoldersRoot()
{
    return QDir::tempPath() + QStringLiteral("/sheetwright-office-") +
           QString::number(CurrentUserId());
}

OfficeFolders::OfficeFolders()
{
    static std::once_flag cleaned;
    static std::atomic<int> serial{0};
    const QString root = OfficeFoldersRoot();
    if (!MakePrivateRoot(root))
        return;
    std::call_once(cleaned, [&root] { RemoveFoldersOfDeadRuns(root); });
    name_ = QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(serial++);
    const QString base = root + QLatin1Char('/') + name_;
    if (QDir().mkpath(base + QStringLiteral("/profile")) &&
        QDir().mkpath(base + QStringLiteral("/tmp")))
        base_ = base;
}

OfficeFolders::~OfficeFolders()
{
    if (Valid())
        QDir(base_).removeRecursively();
}

QString OfficeFolders::ProfileUrl() const
{
    return QUrl::fromLocalFile(base_ + QStringLiteral("/profile")).toString(QUrl::FullyEncoded);
}

} // namespace office
