// Frames on the wire, write results and their log records, and the open's choice of receiver.
#include "support/DebugLines.h"
#include "support/DeviceTestSupport.h"

#include "device/UsbHidCommands.h"
#include "log/DebugLog.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace DeviceTest;

class tst_UsbHidFrames : public QObject
{
    Q_OBJECT

private:
    static QByteArray lastWritten()
    {
        const auto reports = EmulatorControl::writtenReports();
        return reports.empty() ? QByteArray() : reports.back().bytes;
    }
    static QByteArray logText()
    {
        QFile file(debugLogPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void open()
    {
        QCOMPARE(usbHidOpenDevice(knownDevices()), int(OpenOk));
        EmulatorControl::clearWrittenReports();
    }

private slots:
    void initTestCase() { initDebugLog(); }
    void init() { reset(); }
    void cleanupTestCase() { usbHidCloseHandle(); }

    void checksumOfReadVersion()
    {
        const quint8 request[] = {0x4E, 0x30, 0x80, 0x18, 0x01, 0x00};
        QCOMPARE(usbHidCheckSum(request, 6), quint8(0x17));
        QCOMPARE(usbHidCheckSum(request, 0), quint8(0));
        const quint8 wrap[] = {0xFF, 0x02};
        QCOMPARE(usbHidCheckSum(wrap, 2), quint8(0x01));
    }

    void openWritesBareReportThenReadVersion()
    {
        DebugLines debug;
        QCOMPARE(usbHidOpenDevice(knownDevices()), int(OpenOk));
        QCOMPARE(usbHidConnection().opened.load(), 1);
        QCOMPARE(usbHidConnection().vendorId.load(), quint16(0x5A17));
        QCOMPARE(usbHidConnection().productId.load(), quint16(0x4152));
        const auto reports = EmulatorControl::writtenReports();
        QCOMPARE(int(reports.size()), 2);
        QByteArray bare(32, '\0');
        bare.replace(0, 5, bytes({0x4E, 0x30, 0x80, 0x18, 0x01}));
        QCOMPARE(reports[0].bytes, bare);
        QByteArray version = bare;
        version[6] = char(0x17);
        QCOMPARE(reports[1].bytes, version);
        QVERIFY(debug.lines().contains("Open Device Success!"));
        QVERIFY(debug.lines().contains("[Send - ReadVersion::Write Success!]"));
    }

    void readVersionIsTheOnlyShortRequest()
    {
        open();
        usbHidSend_ReadAudio(0);
        usbHidSend_ReadStatus(0);
        usbHidSend_SetPEQ(1, 0, 4, 0, Gains{});
        usbHidSend_SetAlgorithmSwitch(1, 0, 0, 1);
        usbHidSend_SpectrumSwitch(1);
        usbHidSend_SpectrumSwitch(0);
        usbHidSend_ReadVersion();
        const auto reports = EmulatorControl::writtenReports();
        QCOMPARE(int(reports.size()), 7);
        for (const auto &r : reports) {
            const UsbHidCommandInfo *info = usbHidCommandInfo(quint8(r.bytes[4]));
            QVERIFY(info);
            QCOMPARE(r.bytes.size(), info->reportSize);
            QCOMPARE(quint8(r.bytes[0]), info->reportId);
            QCOMPARE(quint8(r.bytes[5]), info->payloadLength);
            QCOMPARE(quint8(r.bytes[6 + info->payloadLength]),
                     usbHidCheckSum(data(r.bytes), 6 + info->payloadLength));
            QCOMPARE(r.bytes.size() == 32, info->command == UsbHidCommand::ReadVersion);
            QVERIFY(r.accepted);
        }
        QCOMPARE(reports[0].bytes.left(8), bytes({0x4F, 0x30, 0x80, 0x18, 0x20, 0x01, 0x00, 0x38}));
        QCOMPARE(reports[1].bytes.left(8), bytes({0x4F, 0x30, 0x80, 0x18, 0x32, 0x01, 0x00, 0x4A}));
        QCOMPARE(reports[4].bytes.left(8), bytes({0x4F, 0x30, 0x80, 0x18, 0x99, 0x01, 0x01, 0xB2}));
        QCOMPARE(reports[5].bytes.left(8), bytes({0x4F, 0x30, 0x80, 0x18, 0x99, 0x01, 0x00, 0xB1}));
    }

    void setPeqLowBandsWithZeroGains()
    {
        open();
        QCOMPARE(usbHidSend_SetPEQ(1, 0, 4, 0, Gains{}), int(WriteOk));
        const QByteArray frame = lastWritten();
        QCOMPARE(frame.size(), 64);
        QByteArray expected = bytes({0x4F, 0x30, 0x80, 0x18, 0x21, 0x26, 0x01, 0x00, 0x04, 0x00, 0x00, 0x1E,
                                     0x07, 0xD0, 0x00, 0x00, 0x3C, 0x07, 0xD0, 0x00, 0x00, 0x78, 0x07, 0xD0,
                                     0x00, 0x00, 0xFA, 0x07, 0xD0, 0x00, 0x01, 0xF4, 0x07, 0xD0, 0x00});
        expected += QByteArray(8, '\0');
        expected += bytes({0x00, 0x57});
        expected += QByteArray(64 - 45, '\0');
        QCOMPARE(frame.toHex(' '), expected.toHex(' '));
    }

    void setPeqHighBandsCarryGainsAndModeCode()
    {
        open();
        const Gains gains = {9, 9, 9, 9, 9, -1, -12, 12, 0, 5};
        QCOMPARE(usbHidSend_SetPEQ(1, 5, 9, 3, gains), int(WriteOk));
        const QByteArray f = lastWritten();
        QCOMPARE(f.mid(6, 4), bytes({0x01, 0x05, 0x09, 0x00}));
        QCOMPARE(f.mid(10, 25),
                 bytes({0x03, 0xE8, 0x07, 0xD0, 0xFF, 0x07, 0xD0, 0x07, 0xD0, 0xF4, 0x0F, 0xA0, 0x0F,
                        0xA0, 0x0C, 0x1F, 0x40, 0x0F, 0xA0, 0x00, 0x3E, 0x80, 0x0F, 0xA0, 0x05}));
        QCOMPARE(f.mid(35, 8), QByteArray(8, '\0'));
        QCOMPARE(quint8(f[43]), quint8(3));
        QCOMPARE(quint8(f[44]), usbHidCheckSum(data(f), 44));
    }

    void setPeqOddRangeLeavesRecordsEmpty()
    {
        open();
        Gains gains;
        gains.fill(7);
        usbHidSend_SetPEQ(1, 0, 3, 2, gains);
        const QByteArray f = lastWritten();
        QCOMPARE(f.mid(6, 3), bytes({0x01, 0x00, 0x03}));
        QCOMPARE(f.mid(10, 33), QByteArray(33, '\0'));
        QCOMPARE(quint8(f[43]), quint8(2));
    }

    void algorithmSwitchFrames()
    {
        open();
        usbHidSend_SetAlgorithmSwitch(1, 0, 1, 0); // Mic ENC ticked
        QCOMPARE(lastWritten().left(13),
                 bytes({0x4F, 0x30, 0x80, 0x18, 0x31, 0x06, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x50}));
        QCOMPARE(lastWritten().mid(13), QByteArray(64 - 13, '\0'));
        usbHidSend_SetAlgorithmSwitch(1, 2, 2, 2); // exit from the tray
        QCOMPARE(lastWritten().mid(6, 7), bytes({0x01, 0x00, 0x02, 0x00, 0x02, 0x02, 0x55}));
    }

    void writeResultsAndTheirRecords()
    {
        DebugLines debug;
        initDebugLog();
        QCOMPARE(usbHidWriteDevice(nullptr), int(WriteNoDevice));
        usbHidSend_ReadVersion(); // nothing open
        QCOMPARE(debug.count("[Send - ReadVersion::Device Not Open!]"), 1);
        QCOMPARE(usbHidSend_SetAlgorithmSwitch(1, 0, 2, 0), 0);
        QCOMPARE(debug.count("[Send - SetSwitch::Device Not Open!]"), 1);
        QCOMPARE(EmulatorControl::writtenReportCount(), 0); // never reached the library

        open();
        quint8 bogus[64] = {0x50, 0x30, 0x80, 0x18};
        QCOMPARE(usbHidWriteDevice(bogus), int(WriteNoDevice));
        QCOMPARE(EmulatorControl::writtenReportCount(), 0);

        EmulatorControl::Config failing;
        failing.failWrites = true;
        reset(failing);
        QCOMPARE(usbHidOpenDevice(knownDevices()), int(OpenOk));
        QCOMPARE(usbHidSend_SetAlgorithmSwitch(1, 0, 1, 0), 0);
        QCOMPARE(debug.count("[Send - SetSwitch::Write Fail!]"), 1);
        QCOMPARE(usbHidSend_SetPEQ(1, 0, 4, 0, Gains{}), int(WriteFailed));

        const QByteArray log = logText();
        const QByteArray record = "*Usb Write : fail222\t\t(UsbHidOperation - usbHidWriteDevice ... 109);\n";
        QVERIFY(log.contains(record));
        QVERIFY(log.contains("*Usb Write : start\t\t(UsbHidOperation - usbHidWriteDevice ... 121);\n"));
        QVERIFY(log.contains("*Usb Write : fail222\t\t(UsbHidOperation - usbHidWriteDevice ... 138);\n"));
        QVERIFY(log.contains("*Usb Write : fail111\t\t(UsbHidOperation - usbHidWriteDevice ... 132);\n"));
        QVERIFY(log.contains(
            "Usb Hid send Switch : start\t\t(UsbHidOperation - usbHidSend_SetAlgorithmSwitch ... 424);\n"));
        QVERIFY(log.contains(
            "Usb Hid send Switch : end(2)\t\t(UsbHidOperation - usbHidSend_SetAlgorithmSwitch ... 455);\n"));
        QVERIFY(log.contains(
            "Usb Hid send Switch : end(1)\t\t(UsbHidOperation - usbHidSend_SetAlgorithmSwitch ... 455);\n"));

        reset();
        open();
        initDebugLog();
        usbHidSend_SpectrumSwitch(1);
        QVERIFY(
            logText().endsWith("*Usb Write : start\t\t(UsbHidOperation - usbHidWriteDevice ... 121);\n"
                               "*Usb Write : success\t\t(UsbHidOperation - usbHidWriteDevice ... 127);\n"));
    }

    void openChoosesOnlyKnownAcceptedVendorInterfaces_data()
    {
        QTest::addColumn<int>("productId");
        QTest::addColumn<QString>("vendorText");
        QTest::addColumn<int>("tableProductId");
        QTest::addColumn<int>("result");
        QTest::newRow("listed range") << 0x4160 << "0x5A17" << 0x4160 << int(OpenOk);
        QTest::newRow("not in table") << 0x4160 << "0x5A17" << 0x4152 << int(OpenNoDevice);
        QTest::newRow("last with a default file") << 0x4165 << "0x5A17" << 0x4165 << int(OpenOk);
        QTest::newRow("above the list") << 0x4166 << "0x5A17" << 0x4166 << int(OpenNoDevice);
        QTest::newRow("no such model") << 0x415A << "0x5A17" << 0x415A << int(OpenNoDevice);
        QTest::newRow("below the range") << 0x4150 << "0x5A17" << 0x4150 << int(OpenNoDevice);
        QTest::newRow("one of the 17") << 0x0F06 << "0x5A17" << 0x0F06 << int(OpenOk);
        QTest::newRow("last of the 17") << 0x4136 << "0x5A17" << 0x4136 << int(OpenOk);
        QTest::newRow("text without prefix") << 0x4152 << "5a17" << 0x4152 << int(OpenOk);
        QTest::newRow("blanks and trailing text") << 0x4152 << "  0x5A17 (USB)" << 0x4152 << int(OpenOk);
        QTest::newRow("only the low 16 bits") << 0x4152 << "0x15A17" << 0x4152 << int(OpenOk);
        QTest::newRow("other vendor text") << 0x4152 << "0x5A18" << 0x4152 << int(OpenNoDevice);
        QTest::newRow("no digits") << 0x4152 << "vendor" << 0x4152 << int(OpenNoDevice);
    }

    void openChoosesOnlyKnownAcceptedVendorInterfaces()
    {
        QFETCH(int, productId);
        QFETCH(QString, vendorText);
        QFETCH(int, tableProductId);
        QFETCH(int, result);
        EmulatorControl::Config config;
        config.productId = quint16(productId);
        reset(config);
        KnownDevices table;
        table.insert(tableProductId, vendorText);
        QCOMPARE(usbHidOpenDevice(table), result);
        QCOMPARE(usbHidConnection().opened.load(), result == OpenOk ? 1 : 0);
        QCOMPARE(EmulatorControl::writtenReportCount(), result == OpenOk ? 2 : 0);
    }

    // The udev rule, generated at build time, names exactly the receivers the program opens.
    void udevRuleNamesTheAcceptedProductIds()
    {
#ifndef VOXBENCH_UDEV_RULE
        QSKIP("no udev rule where there is no udev (Windows)");
#else
        QFile rule(VOXBENCH_UDEV_RULE);
        QVERIFY(rule.open(QIODevice::ReadOnly));
        QList<int> named;
        const QRegularExpression line(
            "^SUBSYSTEM==\"hidraw\", KERNEL==\"hidraw\\*\", ATTRS\\{idVendor\\}==\"5a17\", "
            "ATTRS\\{idProduct\\}==\"([0-9a-f]{4})\", TAG\\+=\"uaccess\"$");
        for (const QByteArray &text : rule.readAll().split('\n')) {
            if (text.isEmpty() || text.startsWith('#'))
                continue;
            const QRegularExpressionMatch match = line.match(QString::fromLatin1(text));
            QVERIFY2(match.hasMatch(), text.constData());
            named << match.captured(1).toInt(nullptr, 16);
        }
        QList<int> accepted;
        for (int id = 0; id <= 0xFFFF; ++id) {
            if (usbHidAcceptedProductId(id))
                accepted << id;
        }
        std::sort(named.begin(), named.end());
        QCOMPARE(named, accepted);

        // Exactly the receivers that have a default preset file: none the program could not open.
        QList<int> shipped;
        const QRegularExpression file("^VID-5A17&PID-([0-9A-Fa-f]{4})\\.json$");
        for (const QString &name : QDir(DEFAULT_FILE_DIR).entryList({"*.json"}, QDir::Files))
            shipped << file.match(name).captured(1).toInt(nullptr, 16);
        std::sort(shipped.begin(), shipped.end());
        QCOMPARE(accepted, shipped);

        // An id in a comment of the list reaches neither the program nor the rule.
        QTemporaryDir dir;
        QFile ids(dir.filePath("ids.h"));
        QVERIFY(ids.open(QIODevice::WriteOnly));
        ids.write("// {0x1111, Headsets::kPlain}, before\nconstexpr ReceiverModelRow kReceiverModels[] = {\n"
                  "    {0x4151, Headsets::kPlain},\n    // {0x4166, Headsets::kPlain},\n"
                  "    /* {0x4167, Headsets::kPlain},\n    {0x4168, Headsets::kPlain}, */\n"
                  "    {0x4165, Headsets::kHeadsetB}, // {0x4169, Headsets::kPlain},\n};\n"
                  "int other[] = {0x2222,};\n");
        ids.close();
        QCOMPARE(QProcess::execute(CMAKE_COMMAND, {"-DIDS=" + ids.fileName(), "-DOUT=" + dir.filePath("rule"),
                                                   "-P", UDEV_RULE_SCRIPT}),
                 0);
        QFile written(dir.filePath("rule"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray text = written.readAll();
        QCOMPARE(text.count("\nSUBSYSTEM"), 2);
        QVERIFY(text.contains("==\"4151\"") && text.contains("==\"4165\""));
#endif
    }

    void openSkipsTheConsumerInterface()
    {
        hid_device_info *list = hid_enumerate(0, 0);
        QVERIFY(list && list->next);
        QCOMPARE(list->usage_page, quint16(0x000C)); // the walk meets the wrong interface first
        hid_free_enumeration(list);

        QCOMPARE(usbHidOpenDevice(knownDevices()), int(OpenOk));
        const hid_device_info *info = hid_get_device_info(usbHidConnection().handle.load());
        QVERIFY(info);
        QCOMPARE(info->usage_page, quint16(0xFF00));
        // Only the vendor interface takes output reports, so the writes prove it too.
        QVERIFY(EmulatorControl::writtenReports().at(1).accepted);
    }

    void openAgainKeepsTheHandleAndResends()
    {
        QCOMPARE(usbHidOpenDevice(knownDevices()), int(OpenOk));
        hid_device *handle = usbHidConnection().handle.load();
        QCOMPARE(usbHidOpenDevice(knownDevices()), int(OpenOk));
        QCOMPARE(usbHidConnection().handle.load(), handle);
        const auto reports = EmulatorControl::writtenReports();
        QCOMPARE(int(reports.size()), 4);
        QCOMPARE(reports[2].bytes, reports[0].bytes);
        QCOMPARE(reports[3].bytes, reports[1].bytes);
    }

    void noReceiverAndClose()
    {
        EmulatorControl::Config absent;
        absent.absent = true;
        reset(absent);
        QCOMPARE(usbHidOpenDevice(knownDevices()), int(OpenNoDevice));
        QCOMPARE(usbHidConnection().handle.load(), nullptr);

        EmulatorControl::setPresent(true);
        QCOMPARE(usbHidOpenDevice(knownDevices()), int(OpenOk));
        usbHidCloseHandle();
        QCOMPARE(usbHidConnection().opened.load(), 0);
        QCOMPARE(usbHidConnection().handle.load(), nullptr);
        QCOMPARE(usbHidConnection().vendorId.load(), quint16(0));
        QCOMPARE(usbHidConnection().productId.load(), quint16(0));
        EmulatorControl::clearWrittenReports();
        QCOMPARE(usbHidSend_SetPEQ(1, 0, 4, 0, Gains{}), int(WriteNoDevice));
        QCOMPARE(EmulatorControl::writtenReportCount(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_UsbHidFrames)
#include "tst_UsbHidFrames.moc"
