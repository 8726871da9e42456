#include "platform/DeviceMonitor.h"

#include "platform/DeviceInterfaceName.h"

#include <QByteArray>
#include <QDebug>
#include <QStringList>

#include <windows.h>

#include <dbt.h>

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

bool DeviceMonitor::startFor(const std::function<quintptr()> &nativeWindow)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    ZeroMemory(&filter, sizeof(filter));
    filter.dbcc_size = 32;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kHidInterfaceClass;
    d->notification = RegisterDeviceNotificationW(reinterpret_cast<HWND>(nativeWindow()), &filter,
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
    emit hidRemoved(vendorId, productId, QString());
}

void DeviceMonitor::readPendingEvents() {}
