#include "backends/office/office_folders.h"

#include "backends/office/office_process.h"
#include "backends/office/uno_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

void RemoveDeadFoldersIn(const QString &root)
{
    const QStringList names = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const long owner = OwnerOf(name);
        if (owner > 0 && owner != QCoreApplication::applicationPid() && !ProcessExists(owner))
            QDir(root + QLatin1Char('/') + name).removeRecursively();
    }
}

// Empty when the root is ours alone, else what is wrong.
QString MakePrivateRoot(const QString &root)
{
    if (!root.isEmpty())
        QDir().mkpath(root);
    const QFileInfo info(root);
    if (root.isEmpty() || !info.isDir()) {
        const QString temporary =
            root.isEmpty() ? QString::fromLocal8Bit(qgetenv("TMPDIR")) : QDir::tempPath();
        return QStringLiteral("LibreOffice needs a private folder in the temporary folder %1, "
                              "which is missing or not writable (set TMPDIR to a writable folder)")
            .arg(temporary);
    }
    // In a shared /tmp, a folder someone else made is not ours to use.
    if (info.isSymLink() || info.ownerId() != CurrentUserId() ||
        !QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return QStringLiteral("LibreOffice's private folder %1 belongs to another user").arg(root);
    return {};
}

} // namespace

void RemoveFoldersOfDeadRuns()
{
    static std::once_flag cleaned;
    std::call_once(cleaned, [] {
        if (!OfficeFoldersRoot().isEmpty())
            RemoveDeadFoldersIn(OfficeFoldersRoot());
    });
}

QString OfficeFoldersRoot()
{
    // Qt gives no temporary folder at all when TMPDIR names none.
    const QString temporary = QDir::tempPath();
    if (temporary.isEmpty())
        return {};
    return temporary + QStringLiteral("/sheetwright-office-") + QString::number(CurrentUserId());
}

OfficeFolders::OfficeFolders()
{
    static std::atomic<int> serial{0};
    const QString root = OfficeFoldersRoot();
    problem_ = MakePrivateRoot(root);
    if (!problem_.isEmpty())
        return;
    RemoveFoldersOfDeadRuns();
    name_ = QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(serial++);
    const QString base = root + QLatin1Char('/') + name_;
    if (QDir().mkpath(base + QStringLiteral("/profile")) &&
        QDir().mkpath(base + QStringLiteral("/tmp")))
        base_ = base;
    else
        problem_ = QStringLiteral("LibreOffice's private folder cannot be made in %1").arg(root);
}

OfficeFolders::~OfficeFolders()
{
    if (Valid())
        QDir(base_).removeRecursively();
}

QString OfficeFolders::ProfileUrl() const
{
    return FileUrlText(ProfileDir());
}

} // namespace office
