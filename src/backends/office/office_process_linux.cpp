#include "backends/office/office_process.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace office
{
namespace
{

std::string Local(const QString &text)
{
    return QFile::encodeName(text).toStdString();
}

bool Replaced(const std::string &entry)
{
    for (const char *name : {"TMPDIR=", "LANG=", "LANGUAGE=", "LC_"})
        if (entry.rfind(name, 0) == 0)
            return true;
    return false;
}

// Our environment with TMPDIR and the locale replaced. soffice turns file
// URLs into names in its locale's character set: with LANG unset, C or
// POSIX a name beyond ASCII would not be found. One locale for every user
// also makes its results the same on every machine.
std::vector<std::string> OfficeEnvironment(const std::string &tmp)
{
    std::vector<std::string> environment;
    for (char **entry = environ; *entry; ++entry)
        if (!Replaced(*entry))
            environment.emplace_back(*entry);
    environment.push_back("TMPDIR=" + tmp);
    environment.push_back("LC_ALL=C.UTF-8");
    return environment;
}

std::vector<char *> Pointers(const std::vector<std::string> &texts)
{
    std::vector<char *> pointers;
    for (const std::string &text : texts)
        pointers.push_back(const_cast<char *>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// Runs in the forked child: only calls that are safe between fork and exec
// in a program with threads (no allocation).
[[noreturn]] void BecomeOffice(char *const *argv, char *const *envp, const char *log, pid_t parent)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) // the parent died before the signal was armed
        ::_exit(127);
    // A Ctrl+C at the terminal asks us to stop, and we end soffice once the
    // workbook in hand is done: it must not reach soffice first.
    ::setpgid(0, 0);
    const int fd = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::dup2(fd, 1);
        ::dup2(fd, 2);
    }
    ::execve(argv[0], argv, envp);
    ::_exit(127);
}

// The parent-death signal fires when the thread that forked ends, not the
// process; a lane's thread ends before its application is done with soffice.
// So every soffice is forked by one thread that lives as long as the process.
class ForkingThread
{
  public:
    static ForkingThread &Instance()
    {
        static ForkingThread *thread = new ForkingThread; // never ends, never destroyed
        return *thread;
    }

    pid_t Run(std::function<pid_t()> fork)
    {
        std::packaged_task<pid_t()> task(std::move(fork));
        std::future<pid_t> pid = task.get_future();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        changed_.notify_one();
        return pid.get();
    }

  private:
    ForkingThread()
    {
        std::thread([this] { Serve(); }).detach();
    }

    [[noreturn]] void Serve()
    {
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !tasks_.empty(); });
            std::packaged_task<pid_t()> task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            task();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::packaged_task<pid_t()>> tasks_;
};

} // namespace

long StartOfficeProcess(const OfficeLaunch &launch)
{
    const std::vector<std::string> arguments = {
        Local(launch.program),
        "--headless",
        "--invisible",
        "--norestore",
        "--nodefault",
        "--nolockcheck",
        "-env:UserInstallation=" + launch.profileUrl.toStdString(),
        "--accept=pipe,name=" + launch.pipeName.toStdString() + ";urp;StarOffice.ComponentContext",
    };
    const std::vector<std::string> environment = OfficeEnvironment(Local(launch.temporaryDir));
    const std::vector<char *> argv = Pointers(arguments);
    const std::vector<char *> envp = Pointers(environment);
    const std::string log = Local(launch.logPath);
    const pid_t parent = ::getpid();
    const pid_t pid = ForkingThread::Instance().Run([&] {
        const pid_t child = ::fork();
        if (child == 0)
            BecomeOffice(argv.data(), envp.data(), log.c_str(), parent);
        return child;
    });
    return pid > 0 ? pid : -1;
}

bool OfficeProcessEnded(long pid, int &exitCode)
{
    int status = 0;
    const pid_t reaped = ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    if (reaped == 0)
        return false;
    if (reaped < 0) { // not our child any more
        exitCode = -1;
        return true;
    }
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

void KillOfficeProcess(long pid)
{
    SignalOfficeProcessKill(pid);
    ::waitpid(static_cast<pid_t>(pid), nullptr, 0);
}

void SignalOfficeProcessKill(long pid)
{
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}

void AwaitOfficeProcess(long pid, int milliseconds)
{
    int exitCode = 0;
    for (int waited = 0; waited < milliseconds; waited += 50) {
        if (OfficeProcessEnded(pid, exitCode))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    KillOfficeProcess(pid);
}

long OfficeMemoryKilobytes(long pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    FILE *status = std::fopen(path.c_str(), "r");
    if (!status)
        return 0;
    char line[256];
    long kilobytes = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmRSS: %ld", &kilobytes) == 1)
            break;
    std::fclose(status);
    return kilobytes;
}

bool ProcessExists(long pid)
{
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

unsigned CurrentUserId()
{
    return ::getuid();
}

} // namespace office
