// Process list from /proc: a process's name is the file name of its
// executable (/proc/<pid>/exe), its age the start time in /proc/<pid>/stat,
// its account the real user id in /proc/<pid>/status and its session the
// login session in /proc/<pid>/sessionid (the same for every process where
// the kernel keeps none).

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

std::string ProcFile(pid_t pid, const char *file)
{
    return "/proc/" + std::to_string(pid) + "/" + file;
}

std::string RealUserId(pid_t pid)
{
    std::ifstream status(ProcFile(pid, "status"));
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 4, "Uid:") == 0)
            return std::to_string(std::strtol(line.c_str() + 4, nullptr, 10));
    return std::string();
}

std::string SessionOf(pid_t pid)
{
    std::ifstream sessionId(ProcFile(pid, "sessionid"));
    std::string session;
    sessionId >> session;
    return session;
}

RunningProcess Describe(pid_t pid, unsigned long long startTicks)
{
    return RunningProcess{pid, startTicks, RealUserId(pid), SessionOf(pid)};
}

} // namespace

std::vector<RunningProcess> ProcessesNamed(const char *name)
{
    std::vector<RunningProcess> matches;
    DIR *proc = name ? opendir("/proc") : nullptr;
    if (!proc)
        return matches;
    while (const dirent *entry = readdir(proc)) {
        if (!IsProcessId(entry->d_name))
            continue;
        const pid_t pid = static_cast<pid_t>(std::atol(entry->d_name));
        unsigned long long startTicks = 0;
        // An unreadable executable (another account's process) has no name.
        const std::string fileName = ExecutableFileName(pid);
        if (!fileName.empty() && fileName == name && ReadStartTicks(pid, startTicks))
            matches.push_back(Describe(pid, startTicks));
    }
    closedir(proc);
    std::sort(matches.begin(), matches.end(), [](const RunningProcess &a, const RunningProcess &b) {
        return std::tie(a.startTicks, a.pid) < std::tie(b.startTicks, b.pid);
    });
    return matches;
}

RunningProcess ThisProcess()
{
    const pid_t pid = getpid();
    unsigned long long startTicks = 0;
    ReadStartTicks(pid, startTicks);
    return Describe(pid, startTicks);
}

void RequestProcessEnd(long pid)
{
    // A copy that cannot be ended keeps running unreported.
    kill(static_cast<pid_t>(pid), SIGTERM);
}
