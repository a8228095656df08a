#include "worker/lock_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>

namespace
{

// LibreOffice's lock holds "name,login,host,time,profile URL;". A lock of
// one of our own soffice (profile ".../sheetwright-office-<uid>/<pid>-<n>/profile")
// on this machine whose profile is gone was left by a run that was killed:
// nobody has the workbook open.
bool IsLeftByOurDeadOffice(const QString &lockPath)
{
    QFile lock(lockPath);
    if (!lock.open(QIODevice::ReadOnly))
        return false;
    const QStringList fields = QString::fromUtf8(lock.read(4096)).split(QLatin1Char(','));
    if (fields.size() < 5)
        return false;
    const QString host = fields.at(2);
    if (host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
        return false;
    QString url = fields.mid(4).join(QLatin1Char(',')).trimmed();
    if (url.endsWith(QLatin1Char(';')))
        url.chop(1);
    const QString profile = QUrl(url).toLocalFile();
    static const QRegularExpression ours(
        QStringLiteral("/sheetwright-office-[0-9]+/[0-9]+-[0-9]+/profile$"));
    if (!ours.match(profile).hasMatch())
        return false;
    // Our own folders: the root above them is there and readable by us.
    const QFileInfo root(QFileInfo(QFileInfo(profile).absolutePath()).absolutePath());
    return root.isDir() && root.isReadable() && !QFileInfo::exists(profile);
}

} // namespace

bool IsOpenElsewhere(const QString &workbookPath)
{
    const QFileInfo workbook(workbookPath);
    const QString folder = workbook.absolutePath() + QLatin1Char('/');
    const QString name = workbook.fileName();
    const QString officeLock = folder + QStringLiteral(".~lock.") + name + QLatin1Char('#');
    if (QFileInfo::exists(officeLock) && IsLeftByOurDeadOffice(officeLock))
        QFile::remove(officeLock);
    // Microsoft Office and LibreOffice name their lock files these two ways.
    return QFileInfo::exists(folder + QStringLiteral("~$") + name) || QFileInfo::exists(officeLock);
}
