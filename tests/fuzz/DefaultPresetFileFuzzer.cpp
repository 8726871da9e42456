// libFuzzer target over the reader of a default preset file: the bytes are read
// as the store reads every "*.json" below the program folder (UTF-8, else GBK,
// then the JSON reader and the record builder). Whatever a file holds, the
// record that comes out has ten gains per mode, and writing it and reading the
// text back gives the same record.
#include "presets/JsonText.h"
#include "presets/PresetJson.h"

#include <QtGlobal>
#include <cstdint>
#include <cstdlib>

namespace {
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

void check(bool condition)
{
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const JsonText::Parsed parsed = JsonText::parse(bytes);
    if (parsed.status == JsonText::Status::Unreadable)
        return 0;
    QStringList faults;
    const std::unique_ptr<DeviceModes> device = PresetJson::defaultFileFromJson(parsed.object, &faults);
    if (!device)
        return 0;
    PresetJson::productIdOf(device->pid);
    const QByteArray text = JsonText::serialize(PresetJson::defaultFileToJson(*device));
    const JsonText::Parsed again = JsonText::parse(text);
    check(again.status == JsonText::Status::Ok && !again.fromGbk);
    // Read with or without noting faults, a file gives the same record.
    check(JsonText::serialize(
              PresetJson::defaultFileToJson(*PresetJson::defaultFileFromJson(parsed.object))) == text);
    // What we write has every key in its type; only gains beyond the sliders and product
    // ids of too many digits stay as read.
    QStringList rewrittenFaults;
    const std::unique_ptr<DeviceModes> copy = PresetJson::defaultFileFromJson(again.object, &rewrittenFaults);
    for (const QString &fault : rewrittenFaults)
        check(fault.contains(QLatin1String("beyond")) || fault.contains(QLatin1String("eight hex digits")));
    check(copy != nullptr);
    // Written once more, the text is the same: nothing drifts between rewrites.
    check(JsonText::serialize(PresetJson::defaultFileToJson(*copy)) == text);
    return 0;
}
