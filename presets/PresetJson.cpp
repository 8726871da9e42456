#include "presets/PresetJson.h"

#include "presets/JsonWriter.h"

#include <QJsonArray>
#include <algorithm>

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

// What QJsonValue::toInt takes as an integer rather than its default.
bool isInteger(const QJsonValue &value)
{
    const double number = value.toDouble();
    return value.isDouble() && number >= -2147483648.0 && number <= 2147483647.0 && number == int(number);
}

bool isText(const QJsonValue &value)
{
    return value.isString();
}

bool isFlag(const QJsonValue &value)
{
    return value.isBool();
}

bool isArray(const QJsonValue &value)
{
    return value.isArray();
}

QString shown(const QJsonValue &value)
{
    return value.isDouble() ? QString::number(value.toDouble()) : QLatin1String(typeName(value));
}

// Reads the keys of one object the lenient way the files are read (a missing
// key or one of another type gives an empty text, 0, the default flag, no
// array) and, given a list, notes every key that is there with the wrong type.
struct LenientKeys
{
    const QJsonObject &object;
    QString where;
    QStringList *faults;

    QJsonValue at(const char *key, bool wellTyped(const QJsonValue &), const char *expected,
                  const char *readAs) const
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (faults && !value.isUndefined() && !wellTyped(value))
            *faults << QString("%1\"%2\" is %3, not %4: read as %5")
                           .arg(where, QLatin1String(key), shown(value), QLatin1String(expected),
                                QLatin1String(readAs));
        return value;
    }
    QString text(const char *key) const { return at(key, isText, "a string", "empty").toString(); }
    int integer(const char *key) const { return at(key, isInteger, "an integer", "0").toInt(); }
    // Missing is on; another type reads as toBool() reads it: off.
    bool flag(const char *key) const
    {
        const QJsonValue value = at(key, isFlag, "a boolean", "false");
        return value.isUndefined() || value.toBool(false);
    }
    QJsonArray array(const char *key) const { return at(key, isArray, "an array", "empty").toArray(); }
};

// Keys the store neither reads nor writes are dropped at the next save.
void noteUnknownKeys(const QJsonObject &object, std::initializer_list<const char *> known,
                     const QString &where, QStringList *faults)
{
    if (!faults)
        return;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (std::none_of(known.begin(), known.end(),
                         [&](const char *k) { return it.key() == QLatin1String(k); }))
            *faults << QString("%1\"%2\" is not a key of the file: dropped").arg(where, it.key());
    }
}

std::unique_ptr<ModeData> readMode(const QJsonObject &object, bool custom, const QString &where,
                                   QStringList *faults)
{
    const LenientKeys keys{object, where, faults};
    if (custom)
        noteUnknownKeys(object, {"algorithm", "customizeType", "index", "name", "parameter", "type", "uuid"},
                        where, faults);
    auto mode = std::make_unique<ModeData>();
    mode->algorithm = keys.text("algorithm");
    mode->name = keys.text("name");
    mode->uuid = keys.text("uuid");
    mode->type = keys.integer("type");
    if (custom) {
        mode->customizeType = keys.integer("customizeType");
        mode->index = keys.integer("index");
    }
    const QJsonArray gains = keys.array("parameter");
    // The equalizer reads ten gains of every mode: pad with 0, drop the rest.
    mode->parameter.assign(kBands, 0);
    if (custom && faults && object.value(QLatin1String("parameter")).isArray() && gains.size() != kBands)
        *faults << where + QString("\"parameter\" has %1 gains: read as %2").arg(gains.size()).arg(kBands);
    for (int band = 0; band < gains.size(); ++band) {
        const QJsonValue gain = gains.at(band);
        if (band < kBands)
            mode->parameter[band] = gain.toInt();
        if (!faults)
            continue;
        // Named only when there is a fault: a big config.json has a million gains.
        const auto at = [&] { return where + QString("\"parameter\"[%1] ").arg(band); };
        if (!isInteger(gain))
            *faults << at() + QString("is %1, not an integer: read as 0").arg(shown(gain));
        else if (!custom && (gain.toInt() < -12 || gain.toInt() > 12))
            *faults << at() + QString("is %1, beyond the sliders' -12..12").arg(gain.toInt());
    }
    return mode;
}

} // namespace

namespace {
// The leading hex digits of a product id text, after an optional "0x".
QStringRef productIdDigits(const QString &pidText)
{
    int start = 0;
    if (pidText.size() >= 2 && pidText.at(0) == '0' && (pidText.at(1) == 'x' || pidText.at(1) == 'X'))
        start = 2;
    int end = start;
    while (end < pidText.size() && hexDigit(pidText.at(end)) >= 0)
        ++end;
    return pidText.midRef(start, end - start);
}
} // namespace

qint32 PresetJson::productIdOf(const QString &pidText)
{
    const QStringRef digits = productIdDigits(pidText);
    // More would wrap: "0x100004152" must not name 0x4152.
    if (digits.size() > kMaxProductIdDigits)
        return 0;
    quint32 value = 0;
    for (const QChar c : digits)
        value = (value << 4) | quint32(hexDigit(c));
    return qint32(value);
}

std::unique_ptr<ModeData> PresetJson::modeFromJson(const QJsonObject &object, bool custom)
{
    return readMode(object, custom, QString(), nullptr);
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

std::unique_ptr<DeviceModes> PresetJson::defaultFileFromJson(const QJsonObject &object, QStringList *faults)
{
    if (!object.contains(QLatin1String("defaultMode")))
        return nullptr;
    const LenientKeys keys{object, QString(), faults};
    auto device = std::make_unique<DeviceModes>();
    device->vid = keys.text("vid");
    device->pid = keys.text("pid");
    if (faults && productIdDigits(device->pid).size() > kMaxProductIdDigits)
        *faults
            << QString("\"pid\" %1 has more than eight hex digits: read as no product id").arg(device->pid);
    device->micENC = keys.flag("micENC");
    const QJsonArray modes = keys.array("defaultMode");
    for (int i = 0; i < modes.size(); ++i) {
        const QString where = QString("defaultMode[%1] ").arg(i);
        if (faults && !modes.at(i).isObject())
            *faults << where + QString("is %1, not an object: read as an empty mode").arg(shown(modes.at(i)));
        device->insert(readMode(modes.at(i).toObject(), false, where, faults));
    }
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

std::unique_ptr<DeviceModes> PresetJson::customRecordFromJson(const QJsonObject &object, const QString &where,
                                                              QStringList *faults)
{
    const LenientKeys keys{object, where, faults};
    noteUnknownKeys(object, {"deviceUuid", "modes", "pid", "vid"}, where, faults);
    auto device = std::make_unique<DeviceModes>();
    device->vid = keys.text("vid");
    device->pid = keys.text("pid");
    device->deviceUuid = keys.text("deviceUuid");
    const QJsonArray modes = keys.array("modes");
    for (int i = 0; i < modes.size(); ++i) {
        const QString at = where + QString("modes[%1] ").arg(i);
        if (faults && !modes.at(i).isObject())
            *faults << at + QString("is %1, not an object: read as an empty mode").arg(shown(modes.at(i)));
        std::unique_ptr<ModeData> mode = readMode(modes.at(i).toObject(), true, at, faults);
        const QString name = mode->name;
        if (!device->insert(std::move(mode)) && faults)
            *faults << at + QString("repeats the name \"%1\": dropped").arg(name);
    }
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

CurrentModeRecord PresetJson::currentModeFromJson(const QJsonObject &object, const QString &where,
                                                  QStringList *faults)
{
    const LenientKeys keys{object, where, faults};
    noteUnknownKeys(object, {"deviceUuid", "pid", "uuid", "vid"}, where, faults);
    return CurrentModeRecord{keys.text("deviceUuid"), keys.text("vid"), keys.text("pid"), keys.text("uuid")};
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
