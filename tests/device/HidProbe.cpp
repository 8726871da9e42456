// A small hidapi client linked against the real library; the emulator test runs
// it with the emulator preloaded. Prints each interface, then the identity that
// the vendor interface reports to ReadStatus.
#include "device/UsbHidCommands.h"

#include <cstdio>
#include <hidapi.h>
#include <string>

int main()
{
    hid_device_info *list = hid_enumerate(0, 0);
    std::string vendorPath;
    for (hid_device_info *d = list; d; d = d->next) {
        std::printf("interface %04x %04x %04x %d\n", d->vendor_id, d->product_id, d->usage_page,
                    d->interface_number);
        if ((d->usage_page >> 8) == 0xFF)
            vendorPath = d->path;
    }
    hid_free_enumeration(list);
    if (vendorPath.empty())
        return 0;
    hid_device *device = hid_open_path(vendorPath.c_str());
    if (!device)
        return 1;
    unsigned char request[64] = {0x4F, 0x30, 0x80, 0x18, 0x32, 0x01, 0x00};
    request[7] = usbHidFrameSum(request, 7);
    std::printf("write %d\n", hid_write(device, request, sizeof request));
    unsigned char reply[64] = {};
    const int n = hid_read_timeout(device, reply, sizeof reply, 200);
    std::printf("read %d\n", n);
    if (n == 64)
        std::printf("identity %02x%02x%02x%02x\n", reply[9], reply[10], reply[11], reply[12]);
    hid_close(device);
    return 0;
}
