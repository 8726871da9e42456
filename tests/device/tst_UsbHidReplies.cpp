// The input-report recogniser, the reply parsers and the device state they fill,
// and the emulated receiver's answers run through them.
#include "support/DebugLines.h"
#include "support/DeviceTestSupport.h"

#include <QtTest>

using namespace DeviceTest;

class tst_UsbHidReplies : public QObject
{
    Q_OBJECT

private:
    // Reads the vendor handle until a report with this code arrives or time runs out.
    static QByteArray readReply(int code, int timeoutMs = 200)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            quint8 buffer[64] = {};
            const int n = hid_read_timeout(usbHidConnection().handle.load(), buffer, sizeof buffer, 20);
            if (n > 0 && buffer[4] == code)
                return QByteArray(reinterpret_cast<const char *>(buffer), n);
        }
        return QByteArray();
    }

private slots:
    void init() { reset(); }
    void cleanupTestCase() { usbHidCloseHandle(); }

    void recogniserRejects_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("accepted");
        const QByteArray good = inputReport(0x20, bytes({0, 0, 0, 1}));
        QTest::newRow("good 64") << good << 64 << true;
        QTest::newRow("good 32") << inputReport(0x01, QByteArray(21, '\1'), 32) << 32 << true;
        QByteArray longer = good + QByteArray(6, '\0');
        QTest::newRow("33 bytes") << longer << 33 << false;
        QTest::newRow("63 bytes") << good << 63 << false;
        QByteArray swapped = good;
        swapped[2] = char(0x80);
        swapped[3] = char(0x18);
        QTest::newRow("output header order") << swapped << 64 << false;
        QByteArray outputId = good;
        outputId[0] = char(0x4F);
        QTest::newRow("output report id") << outputId << 64 << false;
        QByteArray badSum = good;
        badSum[10] = char(badSum[10] + 1);
        QTest::newRow("bad checksum") << badSum << 64 << false;
        QByteArray badByte1 = good;
        badByte1[1] = char(0x31);
        QTest::newRow("byte 1") << badByte1 << 64 << false;
        // L = 58 puts the checksum at byte 64, one past the report: dropped, never read.
        QByteArray overLong = good;
        overLong[5] = char(58);
        QTest::newRow("over-long L in 64") << overLong << 64 << false;
        QByteArray overLong32 = inputReport(0x01, QByteArray(21, '\1'), 32);
        overLong32[5] = char(26);
        QTest::newRow("over-long L in 32") << overLong32 << 32 << false;
        QByteArray huge = good;
        huge[5] = char(0xFF);
        QTest::newRow("L 255") << huge << 64 << false;
        QByteArray fullest = inputReport(0x99, QByteArray(57, '\x10'));
        QTest::newRow("L 57 fills 64") << fullest << 64 << true;
    }

    void recogniserRejects()
    {
        QFETCH(QByteArray, report);
        QFETCH(int, length);
        QFETCH(bool, accepted);
        // Give the recogniser exactly the bytes that were read, so a read past them shows under ASan.
        std::vector<quint8> exact(report.constData(), report.constData() + length);
        QCOMPARE(usbHidRecognizeReport(exact.data(), length), accepted);
    }

    void dispatchCodes()
    {
        QCOMPARE(usbHidDispatchReport(data(inputReport(0x01, QByteArray(21, '\0'), 32)), 32), 0);
        QCOMPARE(usbHidDispatchReport(data(inputReport(0x20, bytes({0, 0, 0, 1}))), 64), 20);
        QCOMPARE(usbHidDispatchReport(data(inputReport(0x21, bytes({0, 5, 9}))), 64), 21);
        QCOMPARE(usbHidDispatchReport(data(inputReport(0x30, bytes({0}))), 64), 0);
        QCOMPARE(usbHidDispatchReport(data(inputReport(0x31, bytes({0}))), 64), 31);
        QCOMPARE(usbHidDispatchReport(data(inputReport(0x32, bytes({0, 0, 0, 1, 2, 3, 4}))), 64), 32);
        QCOMPARE(usbHidDispatchReport(data(inputReport(0x99, QByteArray(57, '\x20'))), 64), 99);
        QCOMPARE(usbHidDispatchReport(data(inputReport(0x55, bytes({0}))), 64), 0);
        QByteArray bad = inputReport(0x20, bytes({0, 0, 0, 1}));
        bad[63] = char(1); // beyond the checksum: ignored
        QCOMPARE(usbHidDispatchReport(data(bad), 64), 20);
        bad[7] = char(1);
        QCOMPARE(usbHidDispatchReport(data(bad), 64), 0);
    }

    void readAudioReply()
    {
        DebugLines debug;
        UsbHidDeviceState &s = usbHidDeviceState();
        s.readAudioWatchdog = 7;
        usbHidDispatchReport(data(inputReport(0x20, bytes({0, 9, 9, 1}))), 64);
        QCOMPARE(s.device71.load(), 1);
        QVERIFY(s.readAudioReplied.load());
        QCOMPARE(s.readAudioWatchdog.load(), 0);
        QVERIFY(debug.lines().contains("Mr.Lok Log:Audio 7.1 End 1 0"));

        // Status 1: only printed, the flag stays, the reply still counts.
        s.readAudioReplied = false;
        s.readAudioWatchdog = 3;
        usbHidDispatchReport(data(inputReport(0x20, bytes({1, 0, 0, 0}))), 64);
        QCOMPARE(s.device71.load(), 1);
        QVERIFY(s.readAudioReplied.load());
        QCOMPARE(s.readAudioWatchdog.load(), 0);
        QCOMPARE(debug.count("[Recv - ReadAudio::Error]"), 1);
        QCOMPARE(debug.countStartingWith("Mr.Lok Log:Audio 7.1 usbHidRecvStart"), 2);
    }

    void readStatusReplyAndIdentityText()
    {
        DebugLines debug;
        usbHidSetIdentityBytes({{1, 1, 1, 1}});
        QCOMPARE(usbHidIdentityText(usbHidIdentityBytes()), QString("01010101"));
        usbHidDeviceState().readStatusWatchdog = 4;
        usbHidDispatchReport(data(inputReport(0x32, bytes({0, 0xEE, 0xEE, 0x0A, 0x1B, 0x2C, 0x3D}))), 64);
        QCOMPARE(usbHidIdentityText(usbHidIdentityBytes()), QString("0a1b2c3d"));
        QVERIFY(usbHidDeviceState().readStatusReplied.load());
        QCOMPARE(usbHidDeviceState().readStatusWatchdog.load(), 0);

        usbHidDeviceState().readStatusReplied = false;
        usbHidDispatchReport(data(inputReport(0x32, bytes({1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}))), 64);
        QCOMPARE(usbHidIdentityText(usbHidIdentityBytes()), QString("0a1b2c3d"));
        QVERIFY(usbHidDeviceState().readStatusReplied.load());
        QCOMPARE(debug.count("[Recv - usbHidRecv_ReadStatus::Error]"), 1);
    }

    void peqAcknowledgementStandsEvenOnError()
    {
        DebugLines debug;
        usbHidDispatchReport(data(inputReport(0x21, bytes({0, 5, 9}))), 64);
        QCOMPARE(usbHidDeviceState().peqFirstBand.load(), 5);
        QCOMPARE(usbHidDeviceState().peqLastBand.load(), 9);
        usbHidDispatchReport(data(inputReport(0x21, bytes({1, 0, 4}))), 64);
        QCOMPARE(usbHidDeviceState().peqFirstBand.load(), 0);
        QCOMPARE(usbHidDeviceState().peqLastBand.load(), 4);
        QCOMPARE(debug.count("[Recv - usbHidRecv_SetPEQ::Error]"), 1);
        usbHidDispatchReport(data(inputReport(0x31, bytes({1}))), 64);
        QCOMPARE(debug.count("[Recv - usbHidRecv_SetAlgorithmSwitch::Error]"), 1);
    }

    void versionReply()
    {
        DebugLines debug;
        usbHidDispatchReport(data(inputReport(0x01, QByteArray(21, '\0'), 32)), 32);
        QByteArray version(21, 'v');
        version[0] = 1;
        usbHidDispatchReport(data(inputReport(0x01, version, 32)), 32);
        QCOMPARE(debug.count("No Version."), 1);
        QCOMPARE(debug.count("[Recv - ReadVersion::Read Version Successful!]"), 2);
        QCOMPARE(usbHidVersionText(), QString(20, 'v'));
        // Kind 0 carries no field and keeps the text; a field padded with zeros ends at the first.
        usbHidDispatchReport(data(inputReport(0x01, QByteArray(21, '\0'), 32)), 32);
        QCOMPARE(usbHidVersionText(), QString(20, 'v'));
        version = QByteArray(21, '\0');
        version[0] = 2;
        version.replace(1, 5, "V1.2 ");
        usbHidDispatchReport(data(inputReport(0x01, version, 32)), 32);
        QCOMPARE(usbHidVersionText(), QStringLiteral("V1.2"));
    }

    void spectrumLevelsAreCopied()
    {
        QByteArray levels;
        for (int i = 0; i < 57; ++i)
            levels.append(char(i + 1));
        usbHidDispatchReport(data(inputReport(0x99, levels)), 64);
        const SpectrumLevels got = usbHidSpectrumLevels();
        for (int i = 0; i < 57; ++i)
            QCOMPARE(int(got[i]), i + 1);
    }

    void emulatedReceiverAnswersInTheReplyLayouts()
    {
        EmulatorControl::Config config;
        config.identity = 0x0a1b2c3d;
        config.flag71 = 0;
        reset(config);
        usbHidDeviceState().device71 = 1;
        QCOMPARE(usbHidOpenDevice(knownDevices()), int(OpenOk));
        const QByteArray version = readReply(0x01);
        QCOMPARE(version.size(), 32);
        QCOMPARE(quint8(version[0]), quint8(0x23));
        QCOMPARE(int(version[6]), 1);
        QVERIFY(version.mid(7, 20).startsWith("VXB"));

        usbHidSend_ReadAudio(0);
        const QByteArray audio = readReply(0x20);
        QCOMPARE(audio.size(), 64);
        QCOMPARE(audio.left(4), bytes({0x24, 0x30, 0x18, 0x80}));
        QCOMPARE(usbHidDispatchReport(data(audio), 64), 20);
        QCOMPARE(usbHidDeviceState().device71.load(), 0);

        usbHidSend_ReadStatus(0);
        QCOMPARE(usbHidDispatchReport(data(readReply(0x32)), 64), 32);
        QCOMPARE(usbHidIdentityText(usbHidIdentityBytes()), QString("0a1b2c3d"));

        Gains gains{};
        usbHidSend_SetPEQ(1, 5, 9, 0, gains);
        QCOMPARE(usbHidDispatchReport(data(readReply(0x21)), 64), 21);
        QCOMPARE(usbHidDeviceState().peqFirstBand.load(), 5);
        QCOMPARE(usbHidDeviceState().peqLastBand.load(), 9);

        usbHidSend_SetAlgorithmSwitch(1, 0, 0, 1);
        const QByteArray ack = readReply(0x31);
        QCOMPARE(ack.mid(4, 3), bytes({0x31, 0x01, 0x00}));
        QVERIFY(usbHidRecognizeReport(data(ack), 64));
    }
};

QTEST_GUILESS_MAIN(tst_UsbHidReplies)
#include "tst_UsbHidReplies.moc"
