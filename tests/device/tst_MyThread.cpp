// The read thread against the emulated receiver: its codes, the 999 pacing,
// stopping, and what happens when the receiver goes away.
#include "support/DebugLines.h"
#include "support/DeviceTestSupport.h"

#include "device/MyThread.h"

#include <QtTest>
#include <memory>

using namespace DeviceTest;

// Collects the thread's codes on the GUI thread, as the window's queued slot would.
class CodeRecorder : public QObject
{
    Q_OBJECT
public:
    QList<int> codes;
    int count(int code) const { return codes.count(code); }
public slots:
    void onCode(int code) { codes.append(code); }
};

class tst_MyThread : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MyThread> m_thread;
    std::unique_ptr<CodeRecorder> m_recorder;

    void startOn(const EmulatorControl::Config &config)
    {
        reset(config);
        QCOMPARE(usbHidOpenDevice(knownDevices()), int(OpenOk));
        m_thread = std::make_unique<MyThread>();
        m_recorder = std::make_unique<CodeRecorder>();
        connect(m_thread.get(), &MyThread::sendReadAudio, m_recorder.get(), &CodeRecorder::onCode,
                Qt::QueuedConnection);
        m_thread->setRunning(1);
        m_thread->start();
    }

    // A cleared run flag ends the thread within one 50-ms read, which it says once.
    void stopWithinOneTimeout()
    {
        DebugLines debug;
        QElapsedTimer timer;
        timer.start();
        m_thread->setRunning(0);
        QVERIFY(m_thread->wait(500));
        QVERIFY2(timer.elapsed() <= 65, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(debug.count("Thread Break... ..."), 1);
    }

private slots:
    void cleanup()
    {
        spin(600); // pending watchdogs of the start-up requests
        m_thread.reset();
        m_recorder.reset();
        usbHidCloseHandle();
    }

    void repliesBecomeCodes()
    {
        startOn({});
        usbHidSend_ReadAudio(0);
        QVERIFY(waitFor([this] { return m_recorder->count(20) == 1; }, 500));
        usbHidSend_ReadStatus(0);
        QVERIFY(waitFor([this] { return m_recorder->count(32) == 1; }, 500));
        QCOMPARE(usbHidIdentityText(usbHidIdentityBytes()), QString("0a1b2c3d"));
        usbHidSend_SetPEQ(1, 0, 4, 0, Gains{});
        QVERIFY(waitFor([this] { return m_recorder->count(21) == 1; }, 500));
        QCOMPARE(usbHidDeviceState().peqLastBand.load(), 4);
        usbHidSend_SetAlgorithmSwitch(1, 0, 0, 1);
        spin(100);
        QCOMPARE(m_recorder->codes, QList<int>({20, 32, 21, 31})); // the version reply emits nothing
    }

    void silentReceiverEmitsNothing()
    {
        EmulatorControl::Config silent;
        silent.silent = true;
        startOn(silent);
        spin(400);
        QVERIFY(m_thread->isRunning());
        QVERIFY(m_recorder->codes.isEmpty());
        QCOMPARE(m_thread->passCounter(), 0);
    }

    void spectrumCodesAndTicks()
    {
        EmulatorControl::Config config;
        config.spectrumMs = 20;
        startOn(config);
        usbHidDeviceState().spectrumOn = 1;
        spin(300);
        QCOMPARE(m_recorder->count(999), 0); // no spectrum report seen yet

        usbHidSend_SpectrumSwitch(1);
        spin(1000);
        const int reports = m_recorder->count(99);
        QVERIFY2(reports >= 35 && reports <= 55, qPrintable(QString::number(reports)));
        // Each spectrum read is a pass: a tick on every fourth.
        const int ticks = m_recorder->count(999);
        QVERIFY2(ticks >= reports / 4 - 2 && ticks <= reports / 4 + 2, qPrintable(QString::number(ticks)));

        // The receiver falls silent: ticks go on at every fourth read time-out.
        usbHidSend_SpectrumSwitch(0);
        spin(100);
        m_recorder->codes.clear();
        spin(1000);
        QCOMPARE(m_recorder->count(99), 0);
        const int quietTicks = m_recorder->count(999);
        QVERIFY2(quietTicks >= 3 && quietTicks <= 6, qPrintable(QString::number(quietTicks)));

        // Off on the GUI side: no more ticks.
        usbHidDeviceState().spectrumOn = 0;
        spin(100);
        m_recorder->codes.clear();
        spin(400);
        QCOMPARE(m_recorder->count(999), 0);
    }

    void stopsWithinOneTimeout()
    {
        EmulatorControl::Config silent;
        silent.silent = true;
        startOn(silent);
        spin(120);
        stopWithinOneTimeout();
    }

    void pulledReceiverIsPacedNotSpun()
    {
        EmulatorControl::Config config;
        config.spectrumMs = 20;
        startOn(config);
        usbHidDeviceState().spectrumOn = 1;
        usbHidSend_SpectrumSwitch(1);
        QVERIFY(waitFor([this] { return m_recorder->count(99) > 0; }, 500));

        EmulatorControl::setPresent(false);
        spin(50);
        m_recorder->codes.clear();
        const int passesBefore = m_thread->passCounter();
        spin(1000);
        // Each failed read waits a time-out: about 20 passes a second, not thousands.
        const int passes = m_thread->passCounter() - passesBefore;
        QVERIFY2(passes >= 10 && passes <= 25, qPrintable(QString::number(passes)));
        QVERIFY(m_recorder->count(999) <= 7);

        stopWithinOneTimeout();
    }

    void noDeviceEndsAtOnce()
    {
        reset();
        DebugLines debug;
        MyThread thread;
        thread.setRunning(1);
        thread.start();
        QVERIFY(thread.wait(100));
        QCOMPARE(debug.count("thread... ... ... ..."), 1);
        QCOMPARE(debug.count("Thread Break... ..."), 0);
    }

    void destructionJoins()
    {
        EmulatorControl::Config silent;
        silent.silent = true;
        startOn(silent);
        spin(30);
        QElapsedTimer timer;
        timer.start();
        m_thread.reset();
        QVERIFY(timer.elapsed() <= 65);
        usbHidCloseHandle();
    }
};

QTEST_GUILESS_MAIN(tst_MyThread)
#include "tst_MyThread.moc"
