#include "platform/DeviceMonitor.h"

#include "platform/DeviceInterfaceName.h"

#include <QByteArray>
#include <QDebug>
#include <QStringList>

#include <QSocketNotifier>

#include <libudev.h>

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

bool DeviceMonitor::startFor(const std::function<quintptr()> &)
{
    d->notifier.reset();
    d->monitor.reset();
    d->context.reset(udev_new());
    if (!d->context)
        return false;
    d->monitor.reset(udev_monitor_new_from_netlink(d->context.get(), "udev"));
    if (!d->monitor)
        return false;
    // hidraw nodes announce arrivals (the node is there to be opened) and
    // removals: the removed node is what tells two receivers of one model apart.
    udev_monitor *monitor = d->monitor.get();
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
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
            const QString node = QString::fromUtf8(udev_device_get_devnode(raw));
            if (action == QLatin1String("add"))
                emit hidArrived();
            // The node's parent (with the ids) is gone by now; the node names it.
            else if (action == QLatin1String("remove") && !node.isEmpty())
                emit hidRemoved(0, 0, node);
        } else if (subsystem == QLatin1String("block")) {
            if (action == QLatin1String("add") && udevProperty(raw, "ID_BUS") == QLatin1String("usb"))
                emit usbDiskArrived();
        }
    }
}
