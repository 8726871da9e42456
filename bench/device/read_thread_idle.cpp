// CPU cost of the read thread's idle polling: the thread attached to a silent
// emulated receiver for SECONDS, next to the same process idling as long with
// no receiver. Prints "<seconds> <idle process ns> <read thread ns> <attached process ns>".
#include "device/MyThread.h"
#include "device/UsbHidOperation.h"
#include "tools/emulator/EmulatorControl.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <pthread.h>

namespace {
qint64 processCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

qint64 clockNs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void idleFor(int seconds)
{
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(1, atoi(argv[1])) : 30;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    KnownDevices known;
    known.insert(0x4152, QStringLiteral("0x5A17"));

    // Idle, no receiver.
    EmulatorControl::Config absent;
    absent.absent = true;
    EmulatorControl::configure(absent);
    usbHidOpenDevice(known);
    const qint64 idleStart = processCpuNs();
    idleFor(seconds);
    const qint64 idleNs = processCpuNs() - idleStart;

    // Attached to a receiver that never says anything.
    EmulatorControl::Config silent;
    silent.silent = true;
    EmulatorControl::configure(silent);
    if (usbHidOpenDevice(known) != OpenOk) {
        std::fprintf(stderr, "read_thread_idle: emulated receiver did not open\n");
        return 1;
    }
    MyThread thread;
    std::atomic<clockid_t> threadClock{0};
    std::atomic<bool> clockReady{false};
    std::atomic<bool> clockKnown{false};
    QObject::connect(
        &thread, &QThread::started, &thread,
        [&] {
            // MinGW's threads have no CPU clock of their own.
            clockid_t id{};
            clockKnown = pthread_getcpuclockid(pthread_self(), &id) == 0;
            threadClock = id;
            clockReady = true;
        },
        Qt::DirectConnection);
    thread.setRunning(1);
    thread.start();
    while (!clockReady)
        QThread::msleep(1);
    if (!clockKnown)
        std::fprintf(stderr, "read_thread_idle: no CPU clock per thread here; the thread's figure is -1\n");
    const qint64 threadStart = clockKnown ? clockNs(threadClock) : 0;
    const qint64 attachedStart = processCpuNs();
    idleFor(seconds);
    const qint64 threadNs = clockKnown ? clockNs(threadClock) - threadStart : -1;
    const qint64 attachedNs = processCpuNs() - attachedStart;
    usbHidCloseHandle();

    std::printf("%d %lld %lld %lld\n", seconds, static_cast<long long>(idleNs),
                static_cast<long long>(threadNs), static_cast<long long>(attachedNs));
    return 0;
}
