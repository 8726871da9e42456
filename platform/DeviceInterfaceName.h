#pragma once

#include <QString>
#include <QtGlobal>

// The vendor and product id inside a Windows device-interface name such as
// "\\?\HID#VID_1A2B&PID_1054&MI_00#7&2f1c&0&0000#{4d1e55b2-...}".
class DeviceInterfaceName
{
public:
    // False for an empty name, a USB storage interface or a name that does not
    // carry the two ids where they are expected.
    static bool parse(const QString &name, quint16 *vendorId, quint16 *productId);
};
