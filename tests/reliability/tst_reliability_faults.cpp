// The window against a receiver that misbehaves: it never answers, every write
// fails, it answers with garbage, with cut-off reports or with error status, or
// it disappears in the middle of a PEQ upload. The program has to keep running,
// send exactly the retries the device link allows and never hold the GUI thread
// longer than its designed waits. CTest runs each case in a process of its own,
// because the reply watch of the device link lives for the whole process.
#include "support/ReliabilitySupport.h"

#include "app/VoxBenchInstance.h"
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
constexpr quint8 kReadAudio = 0x20;
constexpr quint8 kReadStatus = 0x32;
// A request that is never answered: the first write and ten watchdog resends.
constexpr int kUnansweredWrites = 11;
// Every write failing: ten retries per send, and ten watchdogs each starting a fresh chain.
constexpr int kFailedWrites = 121;
// Resends and retries come every 50 ms: three periods without a write show that none is left.
constexpr int kResendQuietMs = 150;
} // namespace

class tst_reliability_faults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void neverAnswers();
    void everyWriteFails();
    void garbageReplies();
    void truncatedReplies();
    void errorStatusReplies();
    void vanishesMidPeqUpload();
    void healthyModesAndSpectrum();

private:
    void arriveWith(const EmulatorControl::Config &config);
    void expectUnansweredStartup();
    void removeAndCheckQuiet();
    void checkStalls();
    static int count(quint8 code) { return withCommand(writtenReports(), code).size(); }
    std::unique_ptr<VoxBenchInstance> m_instance;
    std::unique_ptr<VoxBench> m_window;
    StallMonitor m_stalls;
    int m_boxes = 0;
    int m_threadsBefore = 0;
};

void tst_reliability_faults::init()
{
    MessageBox::setHandler([this](const MessageBox::Shown &) { ++m_boxes; });
    EmulatorControl::Config absent;
    absent.absent = true;
    EmulatorControl::configure(absent);
    m_instance = std::make_unique<VoxBenchInstance>();
    m_window = std::make_unique<VoxBench>(m_instance->model(), m_instance->ruleEngine());
    m_window->show();
    spin(100);
    m_threadsBefore = threadCount();
    m_stalls.start();
}

void tst_reliability_faults::cleanup()
{
    m_window.reset();
    m_instance.reset();
}

// From the arrival to the removal: the attachment, its uploads and whatever the case did then.
void tst_reliability_faults::checkStalls()
{
    m_stalls.stop();
    const double stall = m_stalls.longestStallMs();
    qInfo("%s: longest event-loop stall %.1f ms (limit %.0f ms; %.1f ms on the wall clock, %.1f ms of disk "
          "syncs in all)",
          QTest::currentTestFunction(), stall, stallLimitMs(), m_stalls.longestWallStallMs(),
          m_stalls.diskSyncMs());
    QVERIFY2(stall <= stallLimitMs(), qPrintable(QString::number(stall)));
}

void tst_reliability_faults::arriveWith(const EmulatorControl::Config &config)
{
    EmulatorControl::configure(config);
    EmulatorControl::clearWrittenReports();
    m_instance->handleHidArrival();
    QVERIFY(m_instance->session().readThread());
    // The device page comes whether or not the receiver talks. (Waiting
    // without QTRY, whose sleeps would count as stalls.)
    waitFor([this] { return m_window->pageState() == PageState::Device; }, 2000);
    QCOMPARE(m_window->pageState(), PageState::Device);
}

void tst_reliability_faults::expectUnansweredStartup()
{
    QVERIFY(waitForQuiet(kResendQuietMs, 8000));
    QCOMPARE(count(kReadAudio), kUnansweredWrites);
    QCOMPARE(count(kReadStatus), kUnansweredWrites);
    // No reply, no identity: the receiver is remembered under none.
    QCOMPARE(m_window->deviceUuid(), QString());
    // No acknowledgement, so the two packets of each mode go out once and no
    // algorithm switch follows them; Mic ENC sends the only one.
    QCOMPARE(count(kSetPeq), 4);
    QCOMPARE(count(kSetAlgorithmSwitch), 1);
}

// The notification of the removal ends the attachment; afterwards nothing is
// sent, no thread of the attachment is left and the window holds no timer.
void tst_reliability_faults::removeAndCheckQuiet()
{
    checkStalls();
    EmulatorControl::setPresent(false);
    m_instance->handleHidRemoval(kVendor, EmulatorControl::config().productId);
    QCOMPARE(m_window->pageState(), PageState::NoReceiver);
    QCOMPARE(m_instance->session().readThread(), nullptr);
    spin(1200); // every retry and watchdog still pending runs out
    const int written = EmulatorControl::writtenReportCount();
    spin(300);
    QCOMPARE(EmulatorControl::writtenReportCount(), written);
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(m_window.get());
    QVERIFY2(timers.isEmpty(), qPrintable(QString::number(timers.size()) + " window timers left"));
    // The sequencer stays for the program's life; nothing else may.
    const int expected = m_threadsBefore + (m_window->testThread() ? 1 : 0);
    QVERIFY2(settledThreadCount(expected) <= expected, qPrintable(threadNames()));
    QCOMPARE(m_boxes, 0);
}

void tst_reliability_faults::neverAnswers()
{
    EmulatorControl::Config config;
    config.silent = true;
    arriveWith(config);
    expectUnansweredStartup();
    removeAndCheckQuiet();
}

void tst_reliability_faults::everyWriteFails()
{
    EmulatorControl::Config config;
    config.failWrites = true;
    arriveWith(config);
    QVERIFY(waitForQuiet(kResendQuietMs, 10000));
    QCOMPARE(count(kReadAudio), kFailedWrites);
    QCOMPARE(count(kReadStatus), kFailedWrites);
    for (const EmulatorControl::Report &r : EmulatorControl::writtenReports())
        QVERIFY(!r.accepted);
    // The other senders do not repeat a failed write.
    QCOMPARE(count(kSetPeq), 4);
    QCOMPARE(count(kSetAlgorithmSwitch), 1);
    removeAndCheckQuiet();
}

void tst_reliability_faults::garbageReplies()
{
    EmulatorControl::Config config;
    config.replyFault = HidEmulator::ReplyFault::Garbage;
    arriveWith(config);
    // Noise, a wrong checksum and an unknown command are all dropped: as if nothing came.
    expectUnansweredStartup();
    removeAndCheckQuiet();
}

void tst_reliability_faults::truncatedReplies()
{
    EmulatorControl::Config config;
    config.replyFault = HidEmulator::ReplyFault::Truncated;
    arriveWith(config);
    expectUnansweredStartup();
    removeAndCheckQuiet();
}

void tst_reliability_faults::errorStatusReplies()
{
    EmulatorControl::Config config;
    config.replyFault = HidEmulator::ReplyFault::ErrorStatus;
    arriveWith(config);
    QVERIFY(waitForQuiet(kResendQuietMs, 8000));
    // An error reply is a reply: no watchdog resend, and no retry of its own.
    QCOMPARE(count(kReadAudio), 1);
    QCOMPARE(count(kReadStatus), 1);
    // The error acknowledgement of a second packet is acted on like a good one.
    QCOMPARE(count(kSetPeq), 4);
    QCOMPARE(count(kSetAlgorithmSwitch), 3);
    // Without a usable ReadAudio answer the 7.1 flag stays 0.
    QCOMPARE(usbHidDeviceState().device71.load(), 0);
    removeAndCheckQuiet();
}

void tst_reliability_faults::vanishesMidPeqUpload()
{
    EmulatorControl::Config config;
    config.vanishAfterPeq = 1;
    arriveWith(config);
    // The lost acknowledgement never comes: wait for the session's last step.
    QVERIFY(waitForQuiet(kReplyGraceMs, 5000, [this] { return !m_instance->session().idle(); }));
    QVERIFY(!EmulatorControl::isPresent());
    const auto peq = withCommand(writtenReports(), kSetPeq);
    QVERIFY(!peq.isEmpty());
    const auto all = EmulatorControl::writtenReports();
    int accepted = 0;
    for (const EmulatorControl::Report &r : all)
        accepted += (command(r.bytes) == kSetPeq && r.accepted) ? 1 : 0;
    QCOMPARE(accepted, 1);
    // The read thread keeps running on a dead handle until the notification.
    QVERIFY(m_instance->session().readThread());
    const QByteArray before = readFile(configPath());
    removeAndCheckQuiet();
    const ConfigCheck check = checkConfig(readFile(configPath()));
    QVERIFY(check.valid);
    QVERIFY(readFile(configPath()).size() >= before.size());

    // Plugged in again, the receiver is taken as if nothing had happened.
    EmulatorControl::clearWrittenReports();
    EmulatorControl::setPresent(true);
    m_instance->handleHidArrival();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->pageState(), PageState::Device, 2000);
    QVERIFY(waitForSettled(m_instance->session()));
    QCOMPARE(m_window->deviceUuid(), QStringLiteral("0a1b2c3d"));
    // Whole uploads only (the remembered tab's mode goes out once more when its
    // tab is shown), all taken, the remembered Stereo "Vorn Standard" last.
    const auto uploads = withCommand(writtenReports(), kSetPeq);
    QVERIFY(uploads.size() >= 4 && uploads.size() % 2 == 0);
    QCOMPARE(quint8(uploads.last()[7]), quint8(5));
    QCOMPARE(quint8(uploads.last()[43]), quint8(5));
    for (const EmulatorControl::Report &r : EmulatorControl::writtenReports())
        QVERIFY(r.accepted);
    removeAndCheckQuiet();
}

// A receiver that answers, for the stall bound: the attachment, a mode on
// each tab and the spectrum streaming on the stereo tab.
void tst_reliability_faults::healthyModesAndSpectrum()
{
    EmulatorControl::Config config;
    config.spectrumMs = 20;
    arriveWith(config);
    QVERIFY(waitForSettled(m_instance->session()));
    m_window->setTabWidgetIndex(0);
    QVERIFY(waitForSettled(m_instance->session()));
    m_window->form().radioButton_Surround_FPS->click();
    QVERIFY(waitForSettled(m_instance->session()));
    QCOMPARE(count(kSetAlgorithmSwitch), 5); // Mic ENC, then one after each of the four uploads
    m_window->setTabWidgetIndex(1);
    spin(500);
    QCOMPARE(usbHidDeviceState().spectrumOn.load(), 1);
    removeAndCheckQuiet();
}

QTEST_MAIN(tst_reliability_faults)
#include "tst_reliability_faults.moc"
