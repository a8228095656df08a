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
#include <array>
#include <utility>
#include <vector>

namespace
{

enum class Planned { Process, WouldFail, Skip };

struct PlannedEntry {
    QString path;
    Planned outcome = Planned::Process;
    QString reason; // empty when the run would process it
    bool folder = false;
};

std::vector<PlannedEntry> PlanFiles(const QStringList &paths)
{
    const Backends backends = StandardBackends();
    std::vector<PlannedEntry> plan;
    for (const QString &path : paths) {
        const QString passedBy = PassedByReason(path);
        if (!passedBy.isEmpty()) {
            plan.push_back({path, Planned::Skip, passedBy, false});
            continue;
        }
        const QString failure = ForeseenFailure(path, backends);
        plan.push_back(
            {path, failure.isEmpty() ? Planned::Process : Planned::WouldFail, failure, false});
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

std::vector<PlannedEntry> PlanWalk(const QString &folder)
{
    QSet<QString> walkedFolders;
    QStringList paths;
    for (const QFileInfo &entry : CollectFolderTree(folder, walkedFolders))
        paths << QDir::toNativeSeparators(entry.filePath());
    std::vector<PlannedEntry> plan = PlanFiles(paths);
    for (const QString &hidden : HiddenFoldersOf(walkedFolders))
        plan.push_back({hidden, Planned::Skip, HiddenFolderReason(), true});
    return plan;
}

const char *OutcomeName(Planned outcome)
{
    switch (outcome) {
    case Planned::Process:
        return "would_process";
    case Planned::WouldFail:
        return "would_fail";
    case Planned::Skip:
        break;
    }
    return "skipped";
}

void PrintEntry(const PlannedEntry &entry, bool json, QTextStream &out)
{
    if (json) {
        out << JsonLine({{"type", entry.folder ? "folder" : "file"},
                         {"path", entry.path},
                         {"outcome", OutcomeName(entry.outcome)},
                         {"reason", entry.reason}});
        return;
    }
    switch (entry.outcome) {
    case Planned::Process:
        out << Say("处理：", "process: ") << entry.path << '\n';
        return;
    case Planned::WouldFail:
        out << Say("将失败：%1：%2", "would fail: %1: %2").arg(entry.path, entry.reason) << '\n';
        return;
    case Planned::Skip:
        out << Say("跳过：%1：%2", "skip: %1: %2").arg(entry.path, entry.reason) << '\n';
        return;
    }
}

// How many entries are planned each way, by Planned.
using PlannedCounts = std::array<int, 3>;

void PrintCount(const PlannedCounts &counts, bool json, QTextStream &out)
{
    const int process = counts[static_cast<size_t>(Planned::Process)];
    const int fail = counts[static_cast<size_t>(Planned::WouldFail)];
    const int skip = counts[static_cast<size_t>(Planned::Skip)];
    if (json) {
        out << JsonLine({{"type", "summary"},
                         {"would_process", process},
                         {"would_fail", fail},
                         {"skipped", skip}});
        return;
    }
    out << Say("将处理 %1 个工作簿，%2 个将失败，跳过 %3 项；未改动任何文件。",
               "%1 workbook(s) would be processed, %2 would fail, %3 skipped; nothing was "
               "changed.")
               .arg(process)
               .arg(fail)
               .arg(skip)
        << '\n';
}

} // namespace

int PrintDryRun(const DryRunRequest &request, QTextStream &out)
{
    const std::vector<PlannedEntry> plan =
        request.listed ? PlanFiles(*request.listed) : PlanWalk(request.folder);
    PlannedCounts counts{};
    for (const PlannedEntry &entry : plan) {
        PrintEntry(entry, request.json, out);
        ++counts[static_cast<size_t>(entry.outcome)];
    }
    PrintCount(counts, request.json, out);
    return CliAllDone;
}
