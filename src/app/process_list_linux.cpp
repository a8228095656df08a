// Process list from /proc: a process's name is the file name of its
// executable (/proc/<pid>/exe), its age the start time in /proc/<pid>/stat.

#include "app/process_list.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace
{

struct ProcessEntry {
    pid_t pid;
    unsigned long long startTicks;
};

bool IsProcessId(const char *text)
{
    return *text &&
           std::all_of(text, text + std::strlen(text), [](char c) { return c >= '0' && c <= '9'; });
}

// The bare file name of the process's executable. A file replaced since the
// process started (a rebuild, an update) is reported with " (deleted)"
// appended; that copy still counts under its name.
std::string ExecutableFileName(pid_t pid)
{
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    char target[4096];
    const ssize_t length = readlink(link.c_str(), target, sizeof target);
    if (length <= 0 || length == static_cast<ssize_t>(sizeof target))
        return std::string();
    std::string path(target, static_cast<std::size_t>(length));
    const std::string deletedMark = " (deleted)";
    if (path.size() > deletedMark.size() &&
        path.compare(path.size() - deletedMark.size(), deletedMark.size(), deletedMark) == 0)
        path.erase(path.size() - deletedMark.size());
    return path.substr(path.rfind('/') + 1);
}

// Field 22 of /proc/<pid>/stat, in clock ticks since boot. The command name in
// field 2 may itself hold blanks and parentheses, so fields are counted from
// its closing parenthesis.
bool ReadStartTicks(pid_t pid, unsigned long long &startTicks)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)),
                           std::istreambuf_iterator<char>());
    const std::size_t nameEnd = text.rfind(')');
    if (nameEnd == std::string::npos)
        return false;
    std::istringstream fields(text.substr(nameEnd + 1));
    std::string field;
    const int fieldsFromStateToStartTime = 20;
    for (int i = 0; i < fieldsFromStateToStartTime; ++i)
        if (!(fields >> field))
            return false;
    char *end = nullptr;
    startTicks = std::strtoull(field.c_str(), &end, 10);
    return *end == '\0';
}

std::vector<ProcessEntry> ProcessesNamedOldestFirst(const char *name)
{
    std::vector<ProcessEntry> matches;
    DIR *proc = opendir("/proc");
    if (!proc)
        return matches;
    while (const dirent *entry = readdir(proc)) {
        if (!IsProcessId(entry->d_name))
            continue;
        const pid_t pid = static_cast<pid_t>(std::atol(entry->d_name));
        ProcessEntry process{pid, 0};
        // An unreadable executable (another account's process) has no name.
        const std::string fileName = ExecutableFileName(pid);
        if (!fileName.empty() && fileName == name && ReadStartTicks(pid, process.startTicks))
            matches.push_back(process);
    }
    closedir(proc);
    std::sort(matches.begin(), matches.end(), [](const ProcessEntry &a, const ProcessEntry &b) {
        return std::tie(a.startTicks, a.pid) < std::tie(b.startTicks, b.pid);
    });
    return matches;
}

} // namespace

int CountProcessesNamed(const char *name)
{
    if (!name)
        return 0;
    return static_cast<int>(ProcessesNamedOldestFirst(name).size());
}

int TerminateProcessNamed(const char *name)
{
    if (!name)
        return 0;
    const std::vector<ProcessEntry> matches = ProcessesNamedOldestFirst(name);
    if (matches.empty() || matches.front().pid == getpid())
        return 0;
    // A copy that cannot be ended (another account's) keeps running unreported.
    kill(matches.front().pid, SIGTERM);
    return 1;
}
