#include "presets/PresetJson.h"

#include <QJsonArray>

namespace {

int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

void appendModes(QJsonArray &array, const DeviceModes::ModeMap &modes, bool custom)
{
    for (const auto &entry : modes)
        array.append(PresetJson::modeToJson(*entry.second, custom));
}

void insertModes(DeviceModes &device, const QJsonArray &array, bool custom)
{
    for (const QJsonValue &value : array)
        device.insert(PresetJson::modeFromJson(value.toObject(), custom));
}

} // namespace

qint32 PresetJson::productIdOf(const QString &pidText)
{
    int i = 0;
    if (pidText.size() >= 2 && pidText.at(0) == '0' && (pidText.at(1) == 'x' || pidText.at(1) == 'X'))
        i = 2;
    quint32 value = 0;
    for (; i < pidText.size(); ++i) {
        const int digit = hexDigit(pidText.at(i));
        if (digit < 0)
            break;
        value = (value << 4) | quint32(digit);
    }
    return qint32(value);
}

std::unique_ptr<ModeData> PresetJson::modeFromJson(const QJsonObject &object, bool custom)
{
    auto mode = std::make_unique<ModeData>();
    mode->algorithm = object.value("algorithm").toString();
    mode->name = object.value("name").toString();
    mode->uuid = object.value("uuid").toString();
    mode->type = object.value("type").toInt();
    if (custom) {
        mode->customizeType = object.value("customizeType").toInt();
        mode->index = object.value("index").toInt();
    }
    const QJsonArray gains = object.value("parameter").toArray();
    // The equalizer reads ten gains of every mode: pad with 0, drop the rest.
    mode->parameter.assign(kBandCount, 0);
    for (int band = 0; band < kBandCount && band < gains.size(); ++band)
        mode->parameter[band] = gains.at(band).toInt();
    return mode;
}

QJsonObject PresetJson::modeToJson(const ModeData &mode, bool custom)
{
    QJsonArray gains;
    for (const int gain : mode.parameter)
        gains.append(gain);
    QJsonObject object{
        {"algorithm", mode.algorithm}, {"customizeType", mode.customizeType},
        {"name", mode.name},           {"parameter", gains},
        {"type", mode.type},           {"uuid", mode.uuid},
    };
    if (custom)
        object.insert("index", mode.index);
    return object;
}

std::unique_ptr<DeviceModes> PresetJson::defaultFileFromJson(const QJsonObject &object)
{
    if (!object.contains("defaultMode"))
        return nullptr;
    auto device = std::make_unique<DeviceModes>();
    device->vid = object.value("vid").toString();
    device->pid = object.value("pid").toString();
    device->micENC = object.value("micENC").toBool(true);
    insertModes(*device, object.value("defaultMode").toArray(), false);
    return device;
}

QJsonObject PresetJson::defaultFileToJson(const DeviceModes &device)
{
    QJsonArray modes;
    appendModes(modes, device.surroundModes, false);
    appendModes(modes, device.stereoModes, false);
    QJsonObject object{{"defaultMode", modes}, {"pid", device.pid}, {"vid", device.vid}};
    // Only the models that start with Mic ENC off say so.
    if (!device.micENC)
        object.insert("micENC", false);
    return object;
}

std::unique_ptr<DeviceModes> PresetJson::customRecordFromJson(const QJsonObject &object)
{
    auto device = std::make_unique<DeviceModes>();
    device->vid = object.value("vid").toString();
    device->pid = object.value("pid").toString();
    device->deviceUuid = object.value("deviceUuid").toString();
    insertModes(*device, object.value("modes").toArray(), true);
    return device;
}

QJsonObject PresetJson::customRecordToJson(const DeviceModes &device)
{
    QJsonArray modes;
    appendModes(modes, device.stereoModes, true);
    appendModes(modes, device.surroundModes, true);
    return QJsonObject{
        {"deviceUuid", device.deviceUuid}, {"modes", modes}, {"pid", device.pid}, {"vid", device.vid}};
}

CurrentModeRecord PresetJson::currentModeFromJson(const QJsonObject &object)
{
    return CurrentModeRecord{object.value("deviceUuid").toString(), object.value("vid").toString(),
                             object.value("pid").toString(), object.value("uuid").toString()};
}

QJsonObject PresetJson::currentModeToJson(const CurrentModeRecord &record)
{
    return QJsonObject{
        {"deviceUuid", record.deviceUuid}, {"pid", record.pid}, {"uuid", record.uuid}, {"vid", record.vid}};
}
