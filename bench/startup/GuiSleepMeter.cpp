// Sums the time the GUI thread sleeps on purpose (QThread::msleep and the like
// end in nanosleep or clock_nanosleep), so that the start-up figure can be
// given without the program's designed waits. Linked into the probe only: the
// executable's definitions come first in symbol lookup, Qt's calls land here.
#include "GuiSleepMeter.h"

#include <atomic>
#include <dlfcn.h>
#include <pthread.h>
#include <time.h>

namespace {

std::atomic<long long> g_sleptNs{0};
const pthread_t g_mainThread = pthread_self(); // static initialisation runs on the main thread

long long nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

template <typename Call> int measured(Call call)
{
    if (!pthread_equal(pthread_self(), g_mainThread))
        return call();
    const long long start = nowNs();
    const int result = call();
    g_sleptNs.fetch_add(nowNs() - start);
    return result;
}

} // namespace

long long guiThreadSleptNs()
{
    return g_sleptNs.load();
}

extern "C" int nanosleep(const timespec *request, timespec *remaining)
{
    using Fn = int (*)(const timespec *, timespec *);
    static const Fn next = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "nanosleep"));
    return measured([&] { return next(request, remaining); });
}

extern "C" int clock_nanosleep(clockid_t clock, int flags, const timespec *request, timespec *remaining)
{
    using Fn = int (*)(clockid_t, int, const timespec *, timespec *);
    static const Fn next = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "clock_nanosleep"));
    return measured([&] { return next(clock, flags, request, remaining); });
}
