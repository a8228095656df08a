#include "cli/dry_run.h"

#include "backends/standard_backends.h"
#include "cli/cli_run.h"
#include "cli/cli_texts.h"
#include "cli/json_line.h"
#include "cli/skip_reasons.h"
#include "worker/folder_walk.h"

#include <QDir>
#include <QJsonObject>

#include <algorithm>
#include <utility>
#include <vector>

namespace
{

struct PlannedEntry {
    QString path;
    QString skipReason; // empty when the run would process it
    bool folder = false;
};

std::vector<PlannedEntry> PlanFiles(const QStringList &paths, const JobNeeds &needs)
{
    const Backends backends = StandardBackends();
    std::vector<PlannedEntry> plan;
    for (const QString &path : paths) {
        QString reason = PassedByReason(path);
        if (reason.isEmpty())
            reason = ForeseenFailure(path, backends, needs);
        plan.push_back({path, reason, false});
    }
    return plan;
}

// The hidden folders inside the folders the walk went through.
QStringList HiddenFoldersOf(const QSet<QString> &walkedFolders)
{
    QStringList hidden;
    for (const QString &folder : walkedFolders) {
        const QDir dir(folder);
        const QStringList all = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        const QStringList shown = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &name : all)
            if (!shown.contains(name))
                hidden << QDir::toNativeSeparators(dir.filePath(name) + QLatin1Char('/'));
    }
    std::sort(hidden.begin(), hidden.end());
    return hidden;
}

std::vector<PlannedEntry> PlanWalk(const QString &folder, const JobNeeds &needs)
{
    QSet<QString> walkedFolders;
    QStringList paths;
    for (const QFileInfo &entry : CollectFolderTree(folder, walkedFolders))
        paths << QDir::toNativeSeparators(entry.filePath());
    std::vector<PlannedEntry> plan = PlanFiles(paths, needs);
    for (const QString &hidden : HiddenFoldersOf(walkedFolders))
        plan.push_back({hidden, HiddenFolderReason(), true});
    return plan;
}

void PrintEntry(const PlannedEntry &entry, bool json, QTextStream &out)
{
    const bool process = entry.skipReason.isEmpty();
    if (json) {
        out << JsonLine({{"type", entry.folder ? "folder" : "file"},
                         {"path", entry.path},
                         {"outcome", process ? "would_process" : "skipped"},
                         {"reason", entry.skipReason}});
    } else if (process) {
        out << Say("处理：", "process: ") << entry.path << '\n';
    } else {
        out << Say("跳过：%1：%2", "skip: %1: %2").arg(entry.path, entry.skipReason) << '\n';
    }
}

void PrintCount(int process, int skip, bool json, QTextStream &out)
{
    if (json) {
        out << JsonLine({{"type", "summary"}, {"would_process", process}, {"skipped", skip}});
        return;
    }
    out << Say("将处理 %1 个工作簿，跳过 %2 项；未改动任何文件。",
               "%1 workbook(s) would be processed, %2 skipped; nothing was changed.")
               .arg(process)
               .arg(skip)
        << '\n';
}

} // namespace

int PrintDryRun(const DryRunRequest &request, QTextStream &out)
{
    const std::vector<PlannedEntry> plan = request.listed
                                               ? PlanFiles(*request.listed, request.needs)
                                               : PlanWalk(request.folder, request.needs);
    int process = 0;
    for (const PlannedEntry &entry : plan) {
        PrintEntry(entry, request.json, out);
        process += entry.skipReason.isEmpty() ? 1 : 0;
    }
    PrintCount(process, static_cast<int>(plan.size()) - process, request.json, out);
    return CliAllDone;
}
