#include "cli/skip_reasons.h"

#include "backends/open_check.h"
#include "cli/cli_texts.h"
#include "worker/folder_walk.h"
#include "worker/lock_file.h"

#include <QDir>
#include <QFileInfo>

namespace
{

// The run backups of a folder live in this hidden folder inside it.
bool IsInBackupFolder(const QString &nativePath)
{
    return QDir::fromNativeSeparators(nativePath)
        .split(QLatin1Char('/'))
        .contains(QStringLiteral(".sheetwright"));
}

} // namespace

QString PassedByReason(const QString &nativePath)
{
    if (IsInBackupFolder(nativePath))
        return Say("在运行备份文件夹 .sheetwright 中", "inside the run backup folder .sheetwright");
    if (IsWorkbookFile(nativePath))
        return QString();
    if (IsLockFileName(nativePath))
        return Say("文件名以“~$”开头：办公软件的锁文件",
                   "the name starts with \"~$\": an office program's lock file");
    return Say("不是工作簿：名字不以 .xls、.xlsx 或 .xlsm 结尾",
               "not a workbook: the name does not end in .xls, .xlsx or .xlsm");
}

QString ForeseenFailure(const QString &nativePath, const Backends &backends)
{
    if (!QFileInfo(nativePath).isFile())
        return Say("文件不存在", "no such file");
    if (IsOpenElsewhere(nativePath))
        return Say("另一程序正打开它（旁边有锁文件）",
                   "open in another program (a lock file lies beside it)");
    const BackendKind kind = backends.route(nativePath);
    if (!backends.For(kind))
        return ReasonText(NoBackendReason(kind));
    return OpenProblem(nativePath, kind);
}

QString HiddenFolderReason()
{
    return Say("隐藏文件夹（例如运行备份 .sheetwright），不遍历",
               "hidden folder (such as the run backups in .sheetwright), not walked");
}
