#pragma once

#include "device/UsbHidCommands.h"
#include "presets/ModeType.h"

#include <QString>
#include <vector>

// JSON "customizeType": a built-in preset of the receiver model, or a mode of the user's.
enum class ModeOrigin : qint32 { BuiltIn = 0, Custom = 1 };

// One sound mode: ten band gains in dB, 30 Hz first.
struct ModeData
{
    QString algorithm;
    QString name;
    QString uuid;
    qint32 type = 0;
    qint32 customizeType = 0;
    std::vector<int> parameter;
    qint32 index = 0;

    bool isCustom() const { return customizeType == qint32(ModeOrigin::Custom); }
};
