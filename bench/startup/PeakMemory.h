#pragma once

// The process's peak resident memory in kB, -1 if unknown: VmHWM on Linux,
// the peak working set (GetProcessMemoryInfo) on Windows. On Linux,
// VOXBENCH_BENCH_SMAPS=FILE also copies /proc/self/smaps there.
long long peakResidentKb();
