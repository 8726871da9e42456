#pragma once

#include "EventLoop.h"
#include "device/UsbHidOperation.h"
#include "tools/emulator/EmulatorControl.h"

#include <QByteArray>

namespace DeviceTest {

// The table the preset store would build: every accepted product id with the usual vendor id.
inline KnownDevices knownDevices(const QList<int> &productIds = {0x4152})
{
    KnownDevices table;
    for (int id : productIds)
        table.insert(id, QStringLiteral("0x5A17"));
    return table;
}

// Back to a closed link, a fresh receiver and a clear reply watch.
inline void reset(const EmulatorControl::Config &config = {})
{
    usbHidCloseHandle();
    EmulatorControl::configure(config);
    UsbHidDeviceState &s = usbHidDeviceState();
    s.readAudioReplied = false;
    s.readAudioWatchdog = 0;
    s.readStatusReplied = false;
    s.readStatusWatchdog = 0;
    s.device71 = 0;
    s.peqFirstBand = 0;
    s.peqLastBand = 0;
    s.spectrumOn = 0;
}

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// A well-formed input report of the given size around code and payload.
inline QByteArray inputReport(int code, const QByteArray &payload, int size = 64)
{
    QByteArray r(size, '\0');
    r[0] = char(size == 32 ? 0x23 : 0x24);
    r[1] = char(0x30);
    r[2] = char(0x18);
    r[3] = char(0x80);
    r[4] = char(code);
    r[5] = char(payload.size());
    for (int i = 0; i < payload.size(); ++i)
        r[6 + i] = payload[i];
    const int sumAt = 6 + payload.size();
    r[sumAt] = char(usbHidCheckSum(reinterpret_cast<const quint8 *>(r.constData()), sumAt));
    return r;
}

inline const quint8 *data(const QByteArray &a)
{
    return reinterpret_cast<const quint8 *>(a.constData());
}

} // namespace DeviceTest
