// Linked into the reliability programs: the executable's definitions come first
// in symbol lookup, so the store's saves through Qt land here.
#include "DiskSyncMeter.h"

#include <atomic>
#include <dlfcn.h>
#include <pthread.h>
#include <time.h>

namespace {

std::atomic<long long> g_syncNs{0};
std::atomic<int> g_syncs{0};
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
    g_syncs.fetch_add(1);
    const long long start = nowNs();
    const int result = call();
    g_syncNs.fetch_add(nowNs() - start);
    return result;
}

} // namespace

long long guiThreadDiskSyncNs()
{
    return g_syncNs.load();
}

int guiThreadDiskSyncs()
{
    return g_syncs.load();
}

extern "C" int fsync(int fd)
{
    using Fn = int (*)(int);
    static const Fn next = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fsync"));
    return measured([&] { return next(fd); });
}

extern "C" int fdatasync(int fd)
{
    using Fn = int (*)(int);
    static const Fn next = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fdatasync"));
    return measured([&] { return next(fd); });
}
