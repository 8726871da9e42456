#include "platform/DeviceInterfaceName.h"

#include <QStringList>

namespace {
// The id is the last four characters of its part, "VID_1A2B" giving 0x1A2B.
bool lastFourHex(const QString &part, quint16 *value)
{
    bool ok = false;
    const uint parsed = part.right(4).toUInt(&ok, 16);
    if (!ok)
        return false;
    *value = static_cast<quint16>(parsed & 0xFFFF);
    return true;
}
} // namespace

bool DeviceInterfaceName::parse(const QString &name, quint16 *vendorId, quint16 *productId)
{
    if (name.isEmpty() || name.contains(QLatin1String("USBSTOR")))
        return false;
    const QStringList parts = name.split(QLatin1Char('#'));
    if (parts.size() < 2)
        return false;
    const QStringList ids = parts.at(1).split(QLatin1Char('&'));
    if (ids.size() < 2)
        return false;
    quint16 vid = 0;
    quint16 pid = 0;
    if (!lastFourHex(ids.at(0), &vid) || !lastFourHex(ids.at(1), &pid))
        return false;
    *vendorId = vid;
    *productId = pid;
    return true;
}
