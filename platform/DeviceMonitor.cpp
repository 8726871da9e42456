#include "platform/DeviceMonitor.h"

#include "platform/DeviceInterfaceName.h"

#include <QByteArray>
#include <QDebug>
#include <QStringList>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>

#include <dbt.h>
#else
#include <QSocketNotifier>

#include <libudev.h>
#endif

bool DeviceMonitor::parseHidId(const QString &hidId, quint16 *vendorId, quint16 *productId)
{
    const QStringList fields = hidId.split(QLatin1Char(':'));
    if (fields.size() != 3)
        return false;
    bool vidOk = false;
    bool pidOk = false;
    const uint vid = fields.at(1).toUInt(&vidOk, 16);
    const uint pid = fields.at(2).toUInt(&pidOk, 16);
    if (!vidOk || !pidOk || vid > 0xFFFF || pid > 0xFFFF)
        return false;
    *vendorId = static_cast<quint16>(vid);
    *productId = static_cast<quint16>(pid);
    return true;
}

#ifdef Q_OS_WIN

namespace {
// GUID_DEVINTERFACE_HID
const GUID kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
} // namespace

struct DeviceMonitor::Backend
{
    HDEVNOTIFY notification = nullptr;
};

DeviceMonitor::DeviceMonitor(QObject *parent) : QObject(parent), d(std::make_unique<Backend>()) {}

DeviceMonitor::~DeviceMonitor()
{
    if (d->notification)
        UnregisterDeviceNotification(d->notification);
}

bool DeviceMonitor::start(QWidget *window)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    ZeroMemory(&filter, sizeof(filter));
    filter.dbcc_size = 32;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kHidInterfaceClass;
    d->notification = RegisterDeviceNotificationW(reinterpret_cast<HWND>(window->winId()), &filter,
                                                  DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!d->notification)
        qDebug() << "RegisterDeviceNotificationW error" << GetLastError();
    return d->notification != nullptr;
}

bool DeviceMonitor::isActive() const
{
    return d->notification != nullptr;
}

void DeviceMonitor::handleNativeEvent(const QByteArray &eventType, void *message)
{
    if (eventType != "windows_generic_MSG" || !message)
        return;
    const MSG *msg = static_cast<const MSG *>(message);
    if (msg->message != WM_DEVICECHANGE || msg->lParam == 0)
        return;
    const auto *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(msg->lParam);
    const bool arrival = msg->wParam == DBT_DEVICEARRIVAL;
    if (!arrival && msg->wParam != DBT_DEVICEREMOVECOMPLETE)
        return;

    if (header->dbch_devicetype == DBT_DEVTYP_VOLUME) {
        if (reinterpret_cast<const DEV_BROADCAST_VOLUME *>(header)->dbcv_flags != 0)
            return;
        qDebug() << (arrival ? "U disk inserted" : "U disk removed");
        if (arrival)
            emit usbDiskArrived();
        return;
    }
    if (header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return;

    const auto *device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W *>(header);
    const QString name = QString::fromWCharArray(device->dbcc_name);
    qDebug() << "------------------------------";
    qDebug() << "Device name:" << name;
    qDebug() << "Device size:" << device->dbcc_size;
    if (arrival) {
        emit hidArrived();
        return;
    }
    quint16 vendorId = 0;
    quint16 productId = 0;
    if (!DeviceInterfaceName::parse(name, &vendorId, &productId)) {
        qDebug() << "Removal ignored:" << name;
        return;
    }
    emit hidRemoved(vendorId, productId);
}

void DeviceMonitor::readPendingEvents() {}

#else

namespace {
struct UdevDeleter
{
    void operator()(udev *handle) const { udev_unref(handle); }
};
struct MonitorDeleter
{
    void operator()(udev_monitor *monitor) const { udev_monitor_unref(monitor); }
};
struct DeviceDeleter
{
    void operator()(udev_device *device) const { udev_device_unref(device); }
};

QString udevProperty(udev_device *device, const char *key)
{
    return QString::fromUtf8(udev_device_get_property_value(device, key));
}
} // namespace

struct DeviceMonitor::Backend
{
    std::unique_ptr<udev, UdevDeleter> context;
    std::unique_ptr<udev_monitor, MonitorDeleter> monitor;
    std::unique_ptr<QSocketNotifier> notifier;
};

DeviceMonitor::DeviceMonitor(QObject *parent) : QObject(parent), d(std::make_unique<Backend>()) {}

DeviceMonitor::~DeviceMonitor() = default;

bool DeviceMonitor::start(QWidget *window)
{
    Q_UNUSED(window);
    d->notifier.reset();
    d->monitor.reset();
    d->context.reset(udev_new());
    if (!d->context)
        return false;
    d->monitor.reset(udev_monitor_new_from_netlink(d->context.get(), "udev"));
    if (!d->monitor)
        return false;
    // hidraw nodes announce arrivals (the node is there to be opened), hid
    // devices announce removals (their event still carries the ids).
    udev_monitor *monitor = d->monitor.get();
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "hid", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "block", "disk") < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        d->monitor.reset();
        return false;
    }
    d->notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor), QSocketNotifier::Read);
    connect(d->notifier.get(), &QSocketNotifier::activated, this, &DeviceMonitor::readPendingEvents);
    return true;
}

bool DeviceMonitor::isActive() const
{
    return d->notifier != nullptr;
}

void DeviceMonitor::handleNativeEvent(const QByteArray &eventType, void *message)
{
    Q_UNUSED(eventType);
    Q_UNUSED(message);
}

void DeviceMonitor::readPendingEvents()
{
    if (!d->monitor)
        return;
    // The socket is non-blocking: drain what has arrived.
    while (udev_device *raw = udev_monitor_receive_device(d->monitor.get())) {
        const std::unique_ptr<udev_device, DeviceDeleter> device(raw);
        const QString action = QString::fromUtf8(udev_device_get_action(raw));
        const QString subsystem = QString::fromUtf8(udev_device_get_subsystem(raw));
        qDebug() << "------------------------------";
        qDebug() << "Device" << action << subsystem << QString::fromUtf8(udev_device_get_syspath(raw));

        if (subsystem == QLatin1String("hidraw")) {
            if (action == QLatin1String("add"))
                emit hidArrived();
        } else if (subsystem == QLatin1String("hid")) {
            quint16 vendorId = 0;
            quint16 productId = 0;
            if (action == QLatin1String("remove") &&
                parseHidId(udevProperty(raw, "HID_ID"), &vendorId, &productId))
                emit hidRemoved(vendorId, productId);
        } else if (subsystem == QLatin1String("block")) {
            if (action == QLatin1String("add") && udevProperty(raw, "ID_BUS") == QLatin1String("usb"))
                emit usbDiskArrived();
        }
    }
}

#endif
