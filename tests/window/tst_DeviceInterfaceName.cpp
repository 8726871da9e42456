// Ids taken from device notifications: Windows interface names and udev HID_ID values.
#include "platform/DeviceInterfaceName.h"
#include "platform/DeviceMonitor.h"

#include <QtTest>

class tst_DeviceInterfaceName : public QObject
{
    Q_OBJECT
private slots:
    void windowsNames_data();
    void windowsNames();
    void udevHidIds_data();
    void udevHidIds();
    void monitorStartsWithoutEvents();
};

void tst_DeviceInterfaceName::windowsNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<int>("vendorId");
    QTest::addColumn<int>("productId");
    QTest::newRow("receiver")
        << QStringLiteral(
               "\\\\?\\HID#VID_1A2B&PID_1054&MI_03#8&2a1b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}")
        << true << 0x1A2B << 0x1054;
    QTest::newRow("lower case") << QStringLiteral("\\\\?\\hid#vid_5a17&pid_4152#x") << true << 0x5A17
                                << 0x4152;
    QTest::newRow("two parts only") << QStringLiteral("a#VID_5A17&PID_104D") << true << 0x5A17 << 0x104D;
    QTest::newRow("empty") << QString() << false << 0 << 0;
    QTest::newRow("usb storage") << QStringLiteral("\\\\?\\USBSTOR#VID_1A2B&PID_1054#x") << false << 0 << 0;
    QTest::newRow("no hash") << QStringLiteral("VID_1A2B&PID_1054") << false << 0 << 0;
    QTest::newRow("no ampersand") << QStringLiteral("\\\\?\\HID#VID_1A2B#x") << false << 0 << 0;
    QTest::newRow("not hexadecimal") << QStringLiteral("\\\\?\\HID#VID_XYZW&PID_1054#x") << false << 0 << 0;
    QTest::newRow("empty part") << QStringLiteral("\\\\?\\HID##VID_1A2B&PID_1054") << false << 0 << 0;
}

void tst_DeviceInterfaceName::windowsNames()
{
    QFETCH(QString, name);
    QFETCH(bool, parsed);
    QFETCH(int, vendorId);
    QFETCH(int, productId);
    quint16 vid = 0xFFFF;
    quint16 pid = 0xFFFF;
    QCOMPARE(DeviceInterfaceName::parse(name, &vid, &pid), parsed);
    if (parsed) {
        QCOMPARE(int(vid), vendorId);
        QCOMPARE(int(pid), productId);
    } else {
        // A name that is ignored leaves the ids alone.
        QCOMPARE(int(vid), 0xFFFF);
        QCOMPARE(int(pid), 0xFFFF);
    }
}

void tst_DeviceInterfaceName::udevHidIds_data()
{
    QTest::addColumn<QString>("hidId");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<int>("vendorId");
    QTest::addColumn<int>("productId");
    QTest::newRow("usb receiver") << QStringLiteral("0003:00005A17:00004152") << true << 0x5A17 << 0x4152;
    QTest::newRow("bluetooth") << QStringLiteral("0005:0000046D:0000B012") << true << 0x046D << 0xB012;
    QTest::newRow("empty") << QString() << false << 0 << 0;
    QTest::newRow("two fields") << QStringLiteral("0003:00005A17") << false << 0 << 0;
    QTest::newRow("too wide") << QStringLiteral("0003:00015A17:00004152") << false << 0 << 0;
    QTest::newRow("garbage") << QStringLiteral("0003:zz:00004152") << false << 0 << 0;
}

void tst_DeviceInterfaceName::udevHidIds()
{
    QFETCH(QString, hidId);
    QFETCH(bool, parsed);
    QFETCH(int, vendorId);
    QFETCH(int, productId);
    quint16 vid = 0;
    quint16 pid = 0;
    QCOMPARE(DeviceMonitor::parseHidId(hidId, &vid, &pid), parsed);
    if (parsed) {
        QCOMPARE(int(vid), vendorId);
        QCOMPARE(int(pid), productId);
    }
}

void tst_DeviceInterfaceName::monitorStartsWithoutEvents()
{
    // There is no udev daemon here: the monitor opens but hears nothing.
    DeviceMonitor monitor;
    QSignalSpy arrivals(&monitor, &DeviceMonitor::hidArrived);
    QVERIFY(monitor.startFor({}));
    QVERIFY(monitor.isActive());
    QTest::qWait(50);
    QCOMPARE(arrivals.count(), 0);
}

QTEST_MAIN(tst_DeviceInterfaceName)
#include "tst_DeviceInterfaceName.moc"
