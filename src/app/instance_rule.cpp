#include "app/instance_rule.h"

#include "app/process_list.h"

int ApplyInstanceRule(const char *executableName)
{
    // The caller is one of those counted, so only a second copy matters.
    if (CountProcessesNamed(executableName) > 1)
        return TerminateProcessNamed(executableName);
    return 0;
}
