// Hot-plug soak: many arrivals and removals through the window's notification
// path against the emulated receiver, some pulled out during start-up, some
// after the device page and its uploads. Every cycle starts and stops the read
// thread; none may leave a thread, a timer, an open handle or a damaged
// config.json behind, and memory must not grow with the cycles.
// VOXBENCH_SOAK_CYCLES sets the number of cycles (200).
#include "support/ReliabilitySupport.h"

#include "app/VoxBenchInstance.h"
#include "device/MyThread.h"
#include "device/UsbHidOperation.h"
#include "support/BehaviourSupport.h"
#include "ui/MessageBox.h"
#include "window/VoxBench.h"

#include <QAbstractEventDispatcher>
#include <QtTest>
#include <memory>

using namespace behaviour;
using namespace reliability;

namespace {
constexpr quint16 kVendor = 0x5A17;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAsan = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAsan = true;
#else
constexpr bool kUnderAsan = false;
#endif
#else
constexpr bool kUnderAsan = false;
#endif

// Two hundred attachments print tens of thousands of progress lines; only the
// test's own findings are kept.
QtMessageHandler g_testHandler = nullptr;
void dropProgressLines(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg)
        g_testHandler(type, context, message);
}

int soakCycles()
{
    const int cycles = qEnvironmentVariableIntValue("VOXBENCH_SOAK_CYCLES");
    return cycles > 0 ? cycles : 200;
}
} // namespace

class tst_reliability_hotplug : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void soak();
    void cleanupTestCase();

private:
    bool cycle(int n, bool full);
    std::unique_ptr<VoxBenchInstance> m_instance;
    std::unique_ptr<VoxBench> m_window;
    int m_boxes = 0;
};

void tst_reliability_hotplug::initTestCase()
{
    g_testHandler = qInstallMessageHandler(dropProgressLines);
    MessageBox::setHandler([this](const MessageBox::Shown &) { ++m_boxes; });
    EmulatorControl::Config absent;
    absent.absent = true;
    EmulatorControl::configure(absent);
    m_instance = std::make_unique<VoxBenchInstance>();
    m_window = std::make_unique<VoxBench>(m_instance->model(), m_instance->ruleEngine());
    m_window->show();
    spin(100);
}

// One arrival and removal; `full` waits for the device page and its uploads,
// otherwise the receiver goes at a point of its start-up that moves with n.
bool tst_reliability_hotplug::cycle(int n, bool full)
{
    EmulatorControl::setPresent(true);
    m_instance->handleHidArrival();
    if (!m_instance->session().readThread() || !m_instance->session().readThread()->isRunning() ||
        !m_window->testThread()) {
        qWarning("cycle %d: no read thread or sequencer after the arrival", n);
        return false;
    }
    if (full) {
        if (!waitFor([this] { return m_window->pageState() == PageState::Device; }, 2000) ||
            !waitForSettled(m_instance->session(), 3000)) {
            qWarning("cycle %d: no device page, or the sends did not end", n);
            return false;
        }
        // Some cycles also show the other tab (spectrum on or off) and change Mic ENC.
        if (n % 3 == 0)
            m_window->setTabWidgetIndex(m_window->page() == Page::Stereo ? 0 : 1);
        if (n % 5 == 0)
            m_window->form().checkBox_MicENC->click();
        spin(20);
    } else {
        spin((n * 37) % 130);
    }
    EmulatorControl::setPresent(false);
    m_instance->handleHidRemoval(kVendor, EmulatorControl::config().productId);
    if (m_instance->session().readThread() || usbHidConnection().handle.load() ||
        m_window->pageState() != PageState::NoReceiver) {
        qWarning("cycle %d: the attachment did not end", n);
        return false;
    }
    return true;
}

void tst_reliability_hotplug::soak()
{
    QFile::remove(configPath());
    // One full cycle first, so that lazily created parts of Qt exist before the count.
    QVERIFY(cycle(0, true));
    spin(700);
    const int threads = threadCount();
    const qint64 rssStart = rssKb();
    ConfigCheck last = checkConfig(readFile(configPath()));
    QVERIFY(last.valid);

    StallMonitor stalls;
    stalls.start();
    QElapsedTimer clock;
    clock.start();
    const int cycles = soakCycles();
    int maxThreads = threads;
    for (int n = 1; n <= cycles; ++n) {
        QVERIFY2(cycle(n, n % 5 == 0), qPrintable(QString("cycle %1").arg(n)));
        const int now = settledThreadCount(threads);
        maxThreads = qMax(maxThreads, now);
        // The sequencer stays; the read thread of each attachment is gone.
        QVERIFY2(now <= threads, qPrintable(QString("cycle %1: %2 threads, %3 before: %4")
                                                .arg(n)
                                                .arg(now)
                                                .arg(threads)
                                                .arg(threadNames())));
        // At most the PEQ gate (while armed) and an open retry.
        QVERIFY(QAbstractEventDispatcher::instance()->registeredTimers(m_window.get()).size() <= 2);
        const ConfigCheck check = checkConfig(readFile(configPath()));
        QVERIFY2(check.valid, qPrintable(QString("cycle %1: config.json invalid").arg(n)));
        QVERIFY(check.currentModes >= last.currentModes && check.customModes >= last.customModes);
        last = check;
    }
    const qint64 elapsed = clock.elapsed();
    stalls.stop();

    spin(1500); // every retry, watchdog and gate runs out
    const int written = EmulatorControl::writtenReportCount();
    spin(300);
    QCOMPARE(EmulatorControl::writtenReportCount(), written);
    QVERIFY(QAbstractEventDispatcher::instance()->registeredTimers(m_window.get()).isEmpty());
    // Qt's pool threads may have expired meanwhile; none may have been added.
    QVERIFY2(settledThreadCount(threads) <= threads, qPrintable(threadNames()));
    const qint64 rssEnd = rssKb();
    qInfo("soak: %d cycles in %lld ms, threads %d (at most %d), RSS %lld kB -> %lld kB (%+lld kB), peak %lld "
          "kB, "
          "longest stall %.1f ms",
          cycles, elapsed, threads, maxThreads, rssStart, rssEnd, rssEnd - rssStart, peakRssKb(),
          stalls.longestStallMs());
    QVERIFY(stalls.longestStallMs() < cycleStallLimitMs());
    // Under AddressSanitizer freed memory sits in quarantine; LeakSanitizer checks there instead.
    if (!kUnderAsan)
        QVERIFY2(rssEnd - rssStart < 6 * 1024, qPrintable(QString::number(rssEnd - rssStart)));
    QCOMPARE(m_boxes, 0);
}

void tst_reliability_hotplug::cleanupTestCase()
{
    m_window.reset();
    m_instance.reset();
    qInstallMessageHandler(g_testHandler);
}

QTEST_MAIN(tst_reliability_hotplug)
#include "tst_reliability_hotplug.moc"
