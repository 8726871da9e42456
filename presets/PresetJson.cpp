#include "presets/PresetJson.h"

#include "presets/JsonWriter.h"

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

// Keys in ascending order, as the file format wants them.
void writeCustomMode(JsonWriter &writer, const ModeData &mode)
{
    writer.beginObject();
    writer.key("algorithm");
    writer.value(mode.algorithm);
    writer.key("customizeType");
    writer.value(mode.customizeType);
    writer.key("index");
    writer.value(mode.index);
    writer.key("name");
    writer.value(mode.name);
    writer.key("parameter");
    writer.beginArray();
    for (const int gain : mode.parameter)
        writer.value(gain);
    writer.endArray();
    writer.key("type");
    writer.value(mode.type);
    writer.key("uuid");
    writer.value(mode.uuid);
    writer.endObject();
}

const char *typeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return "null";
    case QJsonValue::Bool:
        return "a boolean";
    case QJsonValue::Double:
        return "a number";
    case QJsonValue::String:
        return "a string";
    case QJsonValue::Array:
        return "an array";
    case QJsonValue::Object:
        return "an object";
    case QJsonValue::Undefined:
        break;
    }
    return "missing";
}

bool isInteger(const QJsonValue &value)
{
    const double number = value.toDouble();
    return value.isDouble() && number >= -2147483648.0 && number <= 2147483647.0 && number == int(number);
}

// A missing key is fine everywhere: only a key that is there with another type is a fault.
void checkKey(QStringList &faults, const QString &where, const QJsonObject &object, const char *key,
              QJsonValue::Type wanted)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return;
    if (wanted == QJsonValue::Double ? isInteger(value) : value.type() == wanted)
        return;
    const char *expected = wanted == QJsonValue::String  ? "a string"
                           : wanted == QJsonValue::Bool  ? "a boolean"
                           : wanted == QJsonValue::Array ? "an array"
                                                         : "an integer";
    QString is = QLatin1String(typeName(value));
    if (value.isDouble())
        is = QString::number(value.toDouble());
    const char *readAs = wanted == QJsonValue::Double ? "0" : wanted == QJsonValue::Bool ? "true" : "empty";
    faults << QString("%1\"%2\" is %3, not %4: read as %5")
                  .arg(where, QLatin1String(key), is, QLatin1String(expected), QLatin1String(readAs));
}

void checkMode(QStringList &faults, const QJsonValue &value, int position)
{
    const QString where = QString("defaultMode[%1] ").arg(position);
    if (!value.isObject()) {
        faults << where + QString("is %1, not an object: read as an empty mode")
                              .arg(QLatin1String(typeName(value)));
        return;
    }
    const QJsonObject mode = value.toObject();
    for (const char *key : {"algorithm", "name", "uuid"})
        checkKey(faults, where, mode, key, QJsonValue::String);
    checkKey(faults, where, mode, "type", QJsonValue::Double);
    checkKey(faults, where, mode, "parameter", QJsonValue::Array);
    const QJsonArray gains = mode.value(QLatin1String("parameter")).toArray();
    for (int band = 0; band < gains.size(); ++band) {
        const QJsonValue gain = gains.at(band);
        const QString at = where + QString("\"parameter\"[%1] ").arg(band);
        if (!isInteger(gain))
            faults << at + QString("is %1, not an integer: read as 0")
                               .arg(gain.isDouble() ? QString::number(gain.toDouble())
                                                    : QLatin1String(typeName(gain)));
        else if (gain.toInt() < -12 || gain.toInt() > 12)
            faults << at + QString("is %1, beyond the sliders' -12..12").arg(gain.toInt());
    }
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
    mode->algorithm = object.value(QLatin1String("algorithm")).toString();
    mode->name = object.value(QLatin1String("name")).toString();
    mode->uuid = object.value(QLatin1String("uuid")).toString();
    mode->type = object.value(QLatin1String("type")).toInt();
    if (custom) {
        mode->customizeType = object.value(QLatin1String("customizeType")).toInt();
        mode->index = object.value(QLatin1String("index")).toInt();
    }
    const QJsonArray gains = object.value(QLatin1String("parameter")).toArray();
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
    if (!object.contains(QLatin1String("defaultMode")))
        return nullptr;
    auto device = std::make_unique<DeviceModes>();
    device->vid = object.value(QLatin1String("vid")).toString();
    device->pid = object.value(QLatin1String("pid")).toString();
    device->micENC = object.value(QLatin1String("micENC")).toBool(true);
    insertModes(*device, object.value(QLatin1String("defaultMode")).toArray(), false);
    return device;
}

QStringList PresetJson::defaultFileFaults(const QJsonObject &object)
{
    QStringList faults;
    checkKey(faults, QString(), object, "vid", QJsonValue::String);
    checkKey(faults, QString(), object, "pid", QJsonValue::String);
    checkKey(faults, QString(), object, "micENC", QJsonValue::Bool);
    checkKey(faults, QString(), object, "defaultMode", QJsonValue::Array);
    const QJsonArray modes = object.value(QLatin1String("defaultMode")).toArray();
    for (int i = 0; i < modes.size(); ++i)
        checkMode(faults, modes.at(i), i);
    return faults;
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
    device->vid = object.value(QLatin1String("vid")).toString();
    device->pid = object.value(QLatin1String("pid")).toString();
    device->deviceUuid = object.value(QLatin1String("deviceUuid")).toString();
    insertModes(*device, object.value(QLatin1String("modes")).toArray(), true);
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
    return CurrentModeRecord{
        object.value(QLatin1String("deviceUuid")).toString(), object.value(QLatin1String("vid")).toString(),
        object.value(QLatin1String("pid")).toString(), object.value(QLatin1String("uuid")).toString()};
}

QJsonObject PresetJson::currentModeToJson(const CurrentModeRecord &record)
{
    return QJsonObject{
        {"deviceUuid", record.deviceUuid}, {"pid", record.pid}, {"uuid", record.uuid}, {"vid", record.vid}};
}

QByteArray PresetJson::configText(const std::vector<CurrentModeRecord> &currentModes,
                                  const std::vector<std::unique_ptr<DeviceModes>> &customRecords)
{
    JsonWriter writer;
    writer.beginObject();
    writer.key("currentMode");
    writer.beginArray();
    for (const CurrentModeRecord &record : currentModes) {
        writer.beginObject();
        writer.key("deviceUuid");
        writer.value(record.deviceUuid);
        writer.key("pid");
        writer.value(record.pid);
        writer.key("uuid");
        writer.value(record.uuid);
        writer.key("vid");
        writer.value(record.vid);
        writer.endObject();
    }
    writer.endArray();
    writer.key("customizeMode");
    writer.beginArray();
    for (const auto &device : customRecords) {
        writer.beginObject();
        writer.key("deviceUuid");
        writer.value(device->deviceUuid);
        writer.key("modes");
        writer.beginArray();
        for (const auto &entry : device->stereoModes)
            writeCustomMode(writer, *entry.second);
        for (const auto &entry : device->surroundModes)
            writeCustomMode(writer, *entry.second);
        writer.endArray();
        writer.key("pid");
        writer.value(device->pid);
        writer.key("vid");
        writer.value(device->vid);
        writer.endObject();
    }
    writer.endArray();
    writer.endObject();
    return writer.finish();
}
