#pragma once

#include "device/UsbHidCommands.h"
#include "presets/ModeType.h"

#include <QString>
#include <vector>

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
};
