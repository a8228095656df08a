// Process list from a Toolhelp snapshot: a process's name is the snapshot's
// executable file name, its age its creation time, its account the SID of its
// token and its session the one ProcessIdToSessionId names.

#include "app/process_list.h"
#include "app/quit_event_windows.h"

#include <QString>

#include <windows.h>

#include <sddl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace
{

unsigned long long CreationTime(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Empty for another account's process, whose token stays closed to us.
std::string OwnerSid(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return std::string();
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> user(size);
    std::string sid;
    wchar_t *text = nullptr;
    if (size && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(user.data())->User.Sid, &text)) {
        sid = QString::fromWCharArray(text).toStdString();
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}

RunningProcess Describe(DWORD pid)
{
    RunningProcess described;
    described.pid = static_cast<long>(pid);
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
        described.startTicks = CreationTime(process);
        described.owner = OwnerSid(process);
        CloseHandle(process);
    }
    DWORD session = 0;
    if (ProcessIdToSessionId(pid, &session))
        described.session = std::to_string(session);
    return described;
}

} // namespace

std::vector<RunningProcess> ProcessesNamed(const char *name)
{
    std::vector<RunningProcess> matches;
    const HANDLE snapshot =
        name ? CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0) : INVALID_HANDLE_VALUE;
    if (snapshot == INVALID_HANDLE_VALUE)
        return matches;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry))
        if (QString::fromWCharArray(entry.szExeFile).toUtf8() == name)
            matches.push_back(Describe(entry.th32ProcessID));
    CloseHandle(snapshot);
    std::sort(matches.begin(), matches.end(), [](const RunningProcess &a, const RunningProcess &b) {
        return std::tie(a.startTicks, a.pid) < std::tie(b.startTicks, b.pid);
    });
    return matches;
}

RunningProcess ThisProcess()
{
    return Describe(GetCurrentProcessId());
}

// A copy that listens for the quit event is asked and may finish the
// workbook in hand; one that does not (hung before it listened) is ended.
void RequestProcessEnd(long pid)
{
    const DWORD id = static_cast<DWORD>(pid);
    if (HANDLE quit = OpenEventW(EVENT_MODIFY_STATE, FALSE, QuitEventName(id).c_str())) {
        SetEvent(quit);
        CloseHandle(quit);
        return;
    }
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
        TerminateProcess(process, 0);
        CloseHandle(process);
    }
}
