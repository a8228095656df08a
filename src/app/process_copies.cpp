// Which copy of the program a new one replaces. Only a copy of the same user
// in the same session: the rule must never end another person's work, even
// when the new copy runs with the rights to do so.

#include "app/process_list.h"

int CountProcessesNamed(const char *name)
{
    return static_cast<int>(ProcessesNamed(name).size());
}

int TerminateProcessNamed(const char *name)
{
    const std::vector<RunningProcess> copies = ProcessesNamed(name);
    const RunningProcess *copy = CopyToReplace(copies, ThisProcess());
    if (!copy)
        return 0;
    RequestProcessEnd(copy->pid);
    return 1;
}

const RunningProcess *CopyToReplace(const std::vector<RunningProcess> &copies,
                                    const RunningProcess &self)
{
    for (const RunningProcess &copy : copies)
        if (copy.owner == self.owner && copy.session == self.session)
            return copy.pid != self.pid ? &copy : nullptr;
    return nullptr;
}
