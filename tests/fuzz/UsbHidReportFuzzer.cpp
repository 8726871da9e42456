// libFuzzer target over the input-report recogniser and the reply parsers:
// whatever the receiver (or a device posing as it) sends must be taken apart
// without reading past the bytes that arrived.
#include "device/UsbHidOperation.h"

#include <QtGlobal>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The first byte picks how many bytes "were read" (the read thread only hands
    // over 32 or 64, the recogniser must cope with any); the rest is the report.
    if (size < 1)
        return 0;
    const int length = data[0] % (kReportSize + 2);
    std::vector<quint8> report(data + 1, data + size);
    report.resize(length); // exactly the bytes read, so ASan sees any overread
    const bool recognised = usbHidRecognizeReport(report.data(), length);
    const int code = usbHidDispatchReport(report.data(), length);
    if (!recognised && code != 0)
        __builtin_trap();
    if (code != 0 && code != 20 && code != 21 && code != 32 && code != 99)
        __builtin_trap();
    const SpectrumLevels levels = usbHidSpectrumLevels();
    (void)levels;
    (void)usbHidIdentityText(usbHidIdentityBytes());
    return 0;
}
