#include "scratch_mounts.h"

#include <QProcess>

namespace
{

bool Run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

ScratchMount::~ScratchMount()
{
    if (mounted_)
        Run(QStringLiteral("umount"), {QStringLiteral("-l"), folder_});
}

bool ScratchMount::Mount(qint64 sizeBytes)
{
    mounted_ = Run(QStringLiteral("mount"),
                   {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                    QStringLiteral("size=%1").arg(sizeBytes), QStringLiteral("tmpfs"), folder_});
    return mounted_;
}

bool ScratchMount::MakeReadOnly()
{
    return Run(QStringLiteral("mount"),
               {QStringLiteral("-o"), QStringLiteral("remount,ro"), folder_});
}

bool SetImmutable(const QString &path, bool on)
{
    return Run(QStringLiteral("chattr"), {on ? QStringLiteral("+i") : QStringLiteral("-i"), path});
}
