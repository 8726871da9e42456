// The ReadAudio and ReadStatus retries and watchdogs, counted at the emulated receiver.
#include "support/DebugLines.h"
#include "support/DeviceTestSupport.h"

#include <QtTest>

using namespace DeviceTest;

class tst_UsbHidWatchdogs : public QObject
{
    Q_OBJECT

private:
    static int writesOf(quint8 code)
    {
        int n = 0;
        for (const auto &r : EmulatorControl::writtenReports())
            n += quint8(r.bytes[4]) == code ? 1 : 0;
        return n;
    }
    static void openOn(const EmulatorControl::Config &config)
    {
        reset(config);
        QCOMPARE(usbHidOpenDevice(knownDevices()), int(OpenOk));
        EmulatorControl::clearWrittenReports();
    }

private slots:
    void cleanup()
    {
        spin(1500); // let every pending single shot run out before the next case
        usbHidCloseHandle();
    }

    void silentReceiver_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("ReadAudio") << 0x20 << "ReadAudio";
        QTest::newRow("ReadStatus") << 0x32 << "ReadStatus";
    }

    void silentReceiver()
    {
        QFETCH(int, code);
        QFETCH(QString, name);
        EmulatorControl::Config silent;
        silent.silent = true;
        openOn(silent);
        DebugLines debug;
        if (code == 0x20)
            usbHidSend_ReadAudio(0);
        else
            usbHidSend_ReadStatus(0);
        // Ten resends 50 ms apart, then no more: waited for on a slow machine too.
        QTRY_COMPARE_WITH_TIMEOUT(writesOf(quint8(code)), 11, 5000);
        spin(300);
        QCOMPARE(writesOf(quint8(code)), 11);
        QCOMPARE(debug.count("Mr.Lok::usbHidSend_" + name + " Call Fail"), 10);
        QCOMPARE(debug.count("[Send - " + name + "::Write Success!]"), 11);
        const auto reports = EmulatorControl::writtenReports();
        // One resend per watchdog period, not a burst.
        for (size_t i = 1; i < reports.size(); ++i)
            QVERIFY2(reports[i].ms - reports[i - 1].ms >= 45,
                     qPrintable(QString::number(reports[i].ms - reports[i - 1].ms)));
        // The counter stays at ten: a new request is written once and not watched again.
        spin(200);
        if (code == 0x20)
            usbHidSend_ReadAudio(0);
        else
            usbHidSend_ReadStatus(0);
        spin(300);
        QCOMPARE(writesOf(quint8(code)), 12);
    }

    // Retries and watchdogs belong to the receiver they were started for: after
    // its handle is closed, a receiver plugged in next gets none of them.
    void chainsEndWithTheirReceiver_data()
    {
        QTest::addColumn<bool>("failWrites");
        QTest::newRow("watchdogs of a silent receiver") << false;
        QTest::newRow("retries of failing writes") << true;
    }

    void chainsEndWithTheirReceiver()
    {
        QFETCH(bool, failWrites);
        EmulatorControl::Config first;
        first.silent = !failWrites;
        first.failWrites = failWrites;
        openOn(first);
        usbHidSend_ReadAudio(0);
        usbHidSend_ReadStatus(0);
        spin(130);
        QVERIFY(writesOf(0x20) >= 2);
        usbHidCloseHandle();

        EmulatorControl::Config next;
        next.silent = true;
        openOn(next);
        spin(1200);
        QCOMPARE(writesOf(0x20), 0);
        QCOMPARE(writesOf(0x32), 0);
    }

    void everyWriteFails_data() { silentReceiver_data(); }

    void everyWriteFails()
    {
        QFETCH(int, code);
        QFETCH(QString, name);
        EmulatorControl::Config failing;
        failing.failWrites = true;
        openOn(failing);
        DebugLines debug;
        if (code == 0x20)
            usbHidSend_ReadAudio(0);
        else
            usbHidSend_ReadStatus(0);
        spin(1500);
        QCOMPARE(writesOf(quint8(code)), 121);
        QCOMPARE(debug.count("Mr.Lok usbHidSend_" + name + ":Fail"), 11);
        QCOMPARE(debug.count("Mr.Lok::usbHidSend_" + name + " Call Fail"), 10);
        QCOMPARE(debug.count("[Send - " + name + "::Write Fail!]"), 121);
    }

    void noDeviceRetriesWithoutTouchingTheLibrary()
    {
        reset();
        DebugLines debug;
        usbHidSend_ReadAudio(0);
        spin(1500);
        QCOMPARE(debug.count("[Send - ReadAudio::Device Not Open!]"), 121);
        QCOMPARE(debug.count("***** Read Audio! *****"), 121);
        QCOMPARE(EmulatorControl::writtenReportCount(), 0);
    }

    void answeredRequestIsNotRepeated()
    {
        openOn({});
        DebugLines debug;
        usbHidSend_ReadStatus(0);
        // Parse the answer as the read thread would, before the watchdog fires.
        QElapsedTimer timer;
        timer.start();
        int code = 0;
        while (code != 32 && timer.elapsed() < 40) {
            quint8 buffer[64] = {};
            const int n = hid_read_timeout(usbHidConnection().handle.load(), buffer, 64, 5);
            if (n == 64)
                code = usbHidDispatchReport(buffer, n);
        }
        QCOMPARE(code, 32);
        spin(300);
        QCOMPARE(writesOf(0x32), 1);
        QCOMPARE(debug.count("Mr.Lok::usbHidSend_ReadStatus Call Fail"), 0);
        // With a reply on record the next request arms no watchdog at all.
        EmulatorControl::Config silent;
        silent.silent = true;
        openOn(silent);
        usbHidDeviceState().readStatusReplied = true;
        usbHidSend_ReadStatus(0);
        spin(300);
        QCOMPARE(writesOf(0x32), 1);
    }
};

QTEST_GUILESS_MAIN(tst_UsbHidWatchdogs)
#include "tst_UsbHidWatchdogs.moc"
