#include "PeakMemory.h"

#include <windows.h>

#include <psapi.h>

long long peakResidentKb()
{
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return static_cast<long long>(counters.PeakWorkingSetSize / 1024);
}
