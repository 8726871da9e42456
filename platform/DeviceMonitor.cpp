#include "platform/DeviceMonitor.h"

#include <QStringList>

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
