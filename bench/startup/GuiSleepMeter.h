#pragma once

// Nanoseconds the main thread has spent in nanosleep/clock_nanosleep so far.
long long guiThreadSleptNs();
