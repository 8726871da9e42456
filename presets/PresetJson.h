#pragma once

#include "presets/CurrentModeRecord.h"
#include "presets/DeviceModes.h"

#include <QJsonObject>
#include <QStringList>
#include <memory>
#include <vector>

// The JSON objects of the default preset files and of config.json, both ways.
// Every key is optional on reading; a mode read from a file always has ten gains.
class PresetJson
{
public:
    static constexpr int kMaxProductIdDigits = 8;

    // Base 16, "0x" allowed, stops at the first character that is not a hex digit.
    // A text of more than eight digits names no product: 0.
    static qint32 productIdOf(const QString &pidText);

    static std::unique_ptr<ModeData> modeFromJson(const QJsonObject &object, bool custom);
    static QJsonObject modeToJson(const ModeData &mode, bool custom);

    // None when the file has no "defaultMode": such a file describes no receiver model.
    // Keys of the wrong JSON type are read as if missing; given a list, each of them
    // (and each gain beyond the sliders) is noted there, one line each.
    static std::unique_ptr<DeviceModes> defaultFileFromJson(const QJsonObject &object,
                                                            QStringList *faults = nullptr);
    static QJsonObject defaultFileToJson(const DeviceModes &device);

    // The readers of config.json's records. Given a list, they note (one line each, led
    // by `where`) everything that would not be written back as it was read: keys of the
    // wrong type, keys the file does not have, modes repeating a name, gains not ten.
    static std::unique_ptr<DeviceModes> customRecordFromJson(const QJsonObject &object,
                                                             const QString &where = QString(),
                                                             QStringList *faults = nullptr);
    static QJsonObject customRecordToJson(const DeviceModes &device);

    // The whole text of config.json, written straight from the records: the same bytes as
    // JsonText::serialize of the objects above, without building them.
    static QByteArray configText(const std::vector<CurrentModeRecord> &currentModes,
                                 const std::vector<std::unique_ptr<DeviceModes>> &customRecords);

    static CurrentModeRecord currentModeFromJson(const QJsonObject &object, const QString &where = QString(),
                                                 QStringList *faults = nullptr);
    static QJsonObject currentModeToJson(const CurrentModeRecord &record);
};
