// The receiver emulator as a receiver: enumeration, timing, frame checks,
// removal, the spectrum stream, its log, and the preloadable library.
#include "support/DeviceTestSupport.h"

#include "device/UsbHidCommands.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <cmath>
#include <thread>

using namespace DeviceTest;

class tst_HidEmulator : public QObject
{
    Q_OBJECT

private:
    hid_device *m_device = nullptr;

    static QByteArray request(UsbHidCommand command, const QByteArray &payload)
    {
        const UsbHidCommandInfo &info = usbHidCommandInfo(command);
        QByteArray r(info.reportSize, '\0');
        r[0] = char(info.reportId);
        r[1] = char(0x30);
        r[2] = char(0x80);
        r[3] = char(0x18);
        r[4] = char(command);
        r[5] = char(info.payloadLength);
        r.replace(6, payload.size(), payload);
        r[6 + info.payloadLength] = char(usbHidFrameSum(data(r), 6 + info.payloadLength));
        return r;
    }
    int write(const QByteArray &r) { return hid_write(m_device, data(r), size_t(r.size())); }
    QByteArray read(int timeoutMs)
    {
        quint8 buffer[64] = {};
        const int n = hid_read_timeout(m_device, buffer, sizeof buffer, timeoutMs);
        return n > 0 ? QByteArray(reinterpret_cast<const char *>(buffer), n) : QByteArray(n < 0 ? 1 : 0, 'E');
    }
    void openVendor(const EmulatorControl::Config &config = {})
    {
        EmulatorControl::configure(config);
        m_device = hid_open_path("voxbench-emulator/if1");
        QVERIFY(m_device);
    }

private slots:
    void cleanup()
    {
        if (m_device)
            hid_close(m_device);
        m_device = nullptr;
    }

    void enumeratesTwoInterfaces()
    {
        EmulatorControl::Config config;
        config.productId = 0x4160;
        EmulatorControl::configure(config);
        hid_device_info *list = hid_enumerate(0, 0);
        QVERIFY(list && list->next && !list->next->next);
        QCOMPARE(list->vendor_id, quint16(0x5A17));
        QCOMPARE(list->product_id, quint16(0x4160));
        QCOMPARE(list->usage_page, quint16(0x000C));
        QCOMPARE(list->interface_number, 0);
        QCOMPARE(list->next->usage_page, quint16(0xFF00));
        QCOMPARE(list->next->interface_number, 1);
        hid_free_enumeration(list);
        QVERIFY(!hid_enumerate(0x1234, 0));
        QVERIFY(!hid_enumerate(0x5A17, 0x4152));
        list = hid_enumerate(0x5A17, 0x4160);
        QVERIFY(list);
        hid_free_enumeration(list);

        config.absent = true;
        EmulatorControl::configure(config);
        QVERIFY(!hid_enumerate(0, 0));
        QVERIFY(!hid_open_path("voxbench-emulator/if1"));
        EmulatorControl::setPresent(true);
        QVERIFY(hid_enumerate(0, 0));
    }

    void answersAFewMillisecondsLaterHonouringTheTimeout()
    {
        openVendor();
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(read(50).size(), 0); // nothing asked, nothing said
        const qint64 waited = timer.elapsed();
        QVERIFY2(waited >= 49 && waited < 90, qPrintable(QString::number(waited)));

        QCOMPARE(write(request(UsbHidCommand::ReadAudio, bytes({0}))), 64);
        QCOMPARE(read(0).size(), 0); // not yet: the receiver takes a moment
        timer.restart();
        const QByteArray reply = read(100);
        QVERIFY2(timer.elapsed() < 20, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(reply.size(), 64);
        QCOMPARE(reply.left(10), bytes({0x24, 0x30, 0x18, 0x80, 0x20, 0x04, 0x00, 0x00, 0x00, 0x01}));
        QVERIFY(usbHidRecognizeReport(data(reply), 64));

        QCOMPARE(write(request(UsbHidCommand::ReadVersion, {})), 32);
        const QByteArray version = read(100);
        QCOMPARE(version.size(), 32);
        QCOMPARE(quint8(version[0]), quint8(0x23));
        QVERIFY(usbHidRecognizeReport(data(version), 32));

        // A blocking read (nonblocking off) waits for the answer; a non-blocking one does not wait.
        QCOMPARE(write(request(UsbHidCommand::SetVol, QByteArray(6, '\0'))), 32);
        quint8 buffer[64];
        QCOMPARE(hid_read(m_device, buffer, 64), 32);
        hid_set_nonblocking(m_device, 1);
        QCOMPARE(hid_read(m_device, buffer, 64), 0);
    }

    void ignoresMalformedFrames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("written");
        const QByteArray good = request(UsbHidCommand::ReadStatus, bytes({0}));
        QByteArray badSum = good;
        badSum[7] = char(badSum[7] + 1);
        QTest::newRow("checksum") << badSum << 64;
        QByteArray inputOrder = good;
        inputOrder[2] = char(0x18);
        inputOrder[3] = char(0x80);
        inputOrder[7] = char(usbHidFrameSum(data(inputOrder), 7));
        QTest::newRow("header") << inputOrder << 64;
        QByteArray wrongLength = good;
        wrongLength[5] = char(2);
        wrongLength[8] = char(usbHidFrameSum(data(wrongLength), 8));
        QTest::newRow("payload length") << wrongLength << 64;
        QByteArray unknown = good;
        unknown[4] = char(0x77);
        unknown[7] = char(usbHidFrameSum(data(unknown), 7));
        QTest::newRow("unknown command") << unknown << 64;
        QByteArray bare(32, '\0');
        bare.replace(0, 5, bytes({0x4E, 0x30, 0x80, 0x18, 0x01}));
        QTest::newRow("bare report without checksum") << bare << 32;
        QByteArray shortId = good;
        shortId[0] = char(0x4E);
        QTest::newRow("64 bytes under the 32-byte id") << shortId << -1;
        QTest::newRow("no such report") << bytes({0x50, 0x30, 0x80, 0x18}) << -1;
    }

    void ignoresMalformedFrames()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, written);
        openVendor();
        QCOMPARE(write(frame), written);
        QCOMPARE(read(60).size(), 0);
    }

    void repliesCarryTheConfiguredReceiver()
    {
        EmulatorControl::Config config;
        config.identity = 0xdeadbeef;
        config.flag71 = 0;
        openVendor(config);
        write(request(UsbHidCommand::ReadStatus, bytes({0})));
        QCOMPARE(read(50).mid(4, 9), bytes({0x32, 0x07, 0x00, 0x00, 0x00, 0xDE, 0xAD, 0xBE, 0xEF}));
        write(request(UsbHidCommand::ReadAudio, bytes({0})));
        QCOMPARE(int(read(50)[9]), 0);
        QByteArray peq(38, '\0');
        peq[0] = 1;
        peq[1] = 5;
        peq[2] = 9;
        write(request(UsbHidCommand::SetPEQ, peq));
        QCOMPARE(read(50).mid(4, 5), bytes({0x21, 0x03, 0x00, 0x05, 0x09}));
        write(request(UsbHidCommand::SetAlgorithmSwitch, bytes({1, 0, 0, 0, 1, 0})));
        QCOMPARE(read(50).mid(4, 3), bytes({0x31, 0x01, 0x00}));

        // The consumer interface takes no output reports and never talks.
        hid_device *consumer = hid_open_path("voxbench-emulator/if0");
        QVERIFY(consumer);
        const QByteArray r = request(UsbHidCommand::ReadStatus, bytes({0}));
        QCOMPARE(hid_write(consumer, data(r), 64), -1);
        hid_close(consumer);
        QCOMPARE(read(30).size(), 0);
    }

    void silentAndFailingReceivers()
    {
        EmulatorControl::Config silent;
        silent.silent = true;
        openVendor(silent);
        QCOMPARE(write(request(UsbHidCommand::ReadStatus, bytes({0}))), 64);
        QCOMPARE(write(request(UsbHidCommand::SpectrumSwitch, bytes({1}))), 64);
        QCOMPARE(read(120).size(), 0);
        hid_close(m_device);

        EmulatorControl::Config failing;
        failing.failWrites = true;
        openVendor(failing);
        QCOMPARE(write(request(UsbHidCommand::ReadStatus, bytes({0}))), -1);
        QCOMPARE(read(30).size(), 0);
        const auto reports = EmulatorControl::writtenReports();
        QCOMPARE(int(reports.size()), 1);
        QVERIFY(!reports[0].accepted);
    }

    void pulledReceiverFailsAtOnce()
    {
        openVendor();
        std::atomic<int> result{1000};
        std::atomic<qint64> tookMs{0};
        std::thread reader([&] {
            QElapsedTimer timer;
            timer.start();
            quint8 buffer[64];
            result = hid_read_timeout(m_device, buffer, 64, 1000);
            tookMs = timer.elapsed();
        });
        QThread::msleep(30);
        EmulatorControl::setPresent(false);
        reader.join();
        QCOMPARE(result.load(), -1);
        QVERIFY2(tookMs.load() < 60, qPrintable(QString::number(tookMs.load())));

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(read(500).size(), 1); // an error, at once
        QVERIFY(timer.elapsed() < 10);
        QCOMPARE(write(request(UsbHidCommand::ReadStatus, bytes({0}))), -1);
        QVERIFY(!hid_enumerate(0, 0));

        // Plugged back in, the old handle stays dead; a new open works.
        EmulatorControl::setPresent(true);
        QCOMPARE(read(10).size(), 1);
        hid_close(m_device);
        m_device = hid_open_path("voxbench-emulator/if1");
        QVERIFY(m_device);
        QCOMPARE(write(request(UsbHidCommand::ReadStatus, bytes({0}))), 64);
        QCOMPARE(read(50).size(), 64);
    }

    void spectrumStreamsLikeMusic()
    {
        EmulatorControl::Config config;
        config.spectrumMs = 10;
        openVendor(config);
        write(request(UsbHidCommand::SpectrumSwitch, bytes({1})));
        QElapsedTimer timer;
        timer.start();
        QList<QByteArray> frames;
        while (frames.size() < 200 && timer.elapsed() < 5000) {
            const QByteArray r = read(50);
            QCOMPARE(r.size(), 64);
            QVERIFY(usbHidRecognizeReport(data(r), 64));
            QCOMPARE(quint8(r[4]), quint8(0x99));
            QCOMPARE(int(r[5]), 57);
            frames.append(r.mid(6, 57));
        }
        const qint64 took = timer.elapsed();
        QVERIFY2(took >= 1900 && took <= 2300, qPrintable(QString::number(took))); // 200 frames of 10 ms

        double low = 0, high = 0, roughness = 0;
        int changed = 0;
        int bassMin = 100, bassMax = 0;
        for (int f = 0; f < frames.size(); ++f) {
            const QByteArray &l = frames[f];
            for (int b = 0; b < 57; ++b)
                QVERIFY(quint8(l[b]) <= 100);
            for (int b = 0; b < 10; ++b) {
                low += quint8(l[b]);
                high += quint8(l[47 + b]);
            }
            for (int b = 0; b + 1 < 57; ++b)
                roughness += std::abs(int(quint8(l[b])) - int(quint8(l[b + 1])));
            bassMin = std::min(bassMin, int(quint8(l[2])));
            bassMax = std::max(bassMax, int(quint8(l[2])));
            if (f > 0 && l != frames[f - 1])
                ++changed;
        }
        QVERIFY(changed >= frames.size() - 2);           // it moves
        QVERIFY(low > high * 1.5);                       // bass-heavy, as music is
        QVERIFY(roughness / (frames.size() * 56) < 6.0); // neighbouring bands move together, unlike noise
        QVERIFY(bassMax - bassMin > 15);                 // the beat comes through

        write(request(UsbHidCommand::SpectrumSwitch, bytes({0})));
        while (read(5).size() > 0) {
        }
        QCOMPARE(read(60).size(), 0);
    }

    void defaultSpectrumRate()
    {
        openVendor();
        write(request(UsbHidCommand::SpectrumSwitch, bytes({1})));
        QElapsedTimer timer;
        timer.start();
        int n = 0;
        while (timer.elapsed() < 1000) {
            if (read(20).size() == 64)
                ++n;
        }
        QVERIFY2(n >= 18 && n <= 21, qPrintable(QString::number(n)));
    }

    void logsEveryOutputReport()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("emu.log");
        qputenv("VOXBENCH_EMU_LOG", path.toLocal8Bit());
        openVendor();
        qunsetenv("VOXBENCH_EMU_LOG");
        const qint64 before = EmulatorControl::msSinceLoad();
        write(request(UsbHidCommand::ReadStatus, bytes({0})));
        write(request(UsbHidCommand::ReadVersion, {}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[2].isEmpty());
        const QRegularExpression shape("^(\\d+) ((?:[0-9A-F]{2} )*[0-9A-F]{2})$");
        const auto first = shape.match(QString::fromLatin1(lines[0]));
        QVERIFY(first.hasMatch());
        QVERIFY(first.captured(1).toLongLong() >= before);
        QCOMPARE(first.captured(2), QString("4F 30 80 18 32 01 00 4A") + QString(" 00").repeated(56));
        QVERIFY(lines[1].endsWith(" 4E 30 80 18 01 00 17" + QByteArray(" 00").repeated(25)));
    }

    void preloadedLibraryStandsInForHidapi()
    {
        const auto exported = [](const QString &library) {
            QProcess nm;
            nm.start("nm", {"-D", "--defined-only", library});
            nm.waitForFinished();
            QStringList names;
            for (const QByteArray &line : nm.readAllStandardOutput().split('\n')) {
                const QList<QByteArray> fields = line.simplified().split(' ');
                if (fields.size() == 3 && fields[1] == "T" && fields[2].startsWith("hid_"))
                    names.append(QString::fromLatin1(fields[2]));
            }
            names.sort();
            return names;
        };
        const QStringList real = exported(VOXBENCH_REAL_HIDAPI);
        QVERIFY(real.contains("hid_read_timeout"));
        QCOMPARE(exported(VOXBENCH_HIDEMU_LIBRARY), real);

        QTemporaryDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_PRELOAD", VOXBENCH_HIDEMU_LIBRARY);
        env.insert("VOXBENCH_EMU_PID", "4160");
        env.insert("VOXBENCH_EMU_IDENTITY", "deadbeef");
        env.insert("VOXBENCH_EMU_LOG", dir.filePath("log"));
        QProcess probe;
        probe.setProcessEnvironment(env);
        probe.start(VOXBENCH_HID_PROBE, QStringList());
        QVERIFY(probe.waitForFinished(5000));
        QCOMPARE(QString::fromLatin1(probe.readAllStandardOutput()),
                 QString("interface 5a17 4160 000c 0\ninterface 5a17 4160 ff00 1\nwrite 64\nread 64\n"
                         "identity deadbeef\n"));
        QFile log(dir.filePath("log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count('\n'), 1);

        // Settings that cannot be what was meant are refused, said, and nothing is emulated.
        for (const auto &bad :
             {std::make_pair("VOXBENCH_EMU_PID", "zz"), std::make_pair("VOXBENCH_EMU_SPECTRUM_MS", "0"),
              std::make_pair("VOXBENCH_EMU_ABSENT", "1")}) {
            QProcessEnvironment refused = env;
            refused.insert(bad.first, bad.second);
            probe.setProcessEnvironment(refused);
            probe.start(VOXBENCH_HID_PROBE, QStringList());
            QVERIFY(probe.waitForFinished(5000));
            QCOMPARE(probe.readAllStandardOutput(), QByteArray());
            QCOMPARE(probe.exitCode(), 0);
            const QByteArray said = QByteArray(bad.first) + "=\"" + bad.second + "\" is not";
            QCOMPARE(probe.readAllStandardError().contains(said),
                     bad.first != QByteArray("VOXBENCH_EMU_ABSENT"));
        }
    }
};

QTEST_GUILESS_MAIN(tst_HidEmulator)
#include "tst_HidEmulator.moc"
