#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// Tells the window when HID interfaces and USB disks come and go. On Linux it
// listens to udev on the event loop (no thread of its own); on Windows it
// registers for device-interface messages and decodes those that the window
// passes on from its native event hook.
class DeviceMonitor : public QObject
{
    Q_OBJECT

public:
    explicit DeviceMonitor(QObject *parent = nullptr);
    ~DeviceMonitor() override;

    // Starts listening; false when the notifications cannot be had. The window
    // is the one that receives the messages where they come as window messages;
    // its native handle is asked for only there.
    template <class Window> bool start(Window *window)
    {
        return startFor([window] { return quintptr(window->winId()); });
    }
    bool startFor(const std::function<quintptr()> &nativeWindow);
    bool isActive() const;

    // Decodes a native window message (Windows only; elsewhere nothing happens).
    void handleNativeEvent(const QByteArray &eventType, void *message);

    // The vendor and product id of a udev HID_ID value such as "0003:00005A17:00004152".
    static bool parseHidId(const QString &hidId, quint16 *vendorId, quint16 *productId);

signals:
    void hidArrived();
    // Names the removed node where the system does (Linux: /dev/hidrawN, as
    // hidapi's path); elsewhere node is empty and the ids say which receiver.
    void hidRemoved(quint16 vendorId, quint16 productId, const QString &node);
    void usbDiskArrived();

private:
    struct Backend;
    void readPendingEvents();

    std::unique_ptr<Backend> d;
};
