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
const wchar_t kWindowClass[] = L"VoxBenchDeviceMonitor";

// Where no window of the program has a native handle (the offscreen platform,
// a start without a window), the messages come to a hidden window of our own.
LRESULT CALLBACK deviceMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEVICECHANGE) {
        if (auto *monitor = reinterpret_cast<DeviceMonitor *>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            MSG msg = {};
            msg.hwnd = window;
            msg.message = message;
            msg.wParam = wParam;
            msg.lParam = lParam;
            monitor->handleNativeEvent("windows_generic_MSG", &msg);
        }
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

struct DeviceMonitor::Backend
{
    HDEVNOTIFY notification = nullptr;
    HWND ownWindow = nullptr;
};

DeviceMonitor::DeviceMonitor(QObject *parent) : QObject(parent), d(std::make_unique<Backend>()) {}

DeviceMonitor::~DeviceMonitor()
{
    if (d->notification)
        UnregisterDeviceNotification(d->notification);
    if (d->ownWindow)
        DestroyWindow(d->ownWindow);
}

bool DeviceMonitor::startFor(const std::function<quintptr()> &nativeWindow)
{
    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    ZeroMemory(&filter, sizeof(filter));
    filter.dbcc_size = 32;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kHidInterfaceClass;
    HWND window = nativeWindow ? reinterpret_cast<HWND>(nativeWindow()) : nullptr;
    if (!IsWindow(window)) {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = deviceMessages;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kWindowClass;
        RegisterClassW(&windowClass); // fails harmlessly when registered before
        d->ownWindow = CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                       instance, nullptr);
        if (d->ownWindow)
            SetWindowLongPtrW(d->ownWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        window = d->ownWindow;
    }
    d->notification = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
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
